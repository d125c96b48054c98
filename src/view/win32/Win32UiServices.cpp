#include "view/win32/Win32UiServices.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "view/win32/Dpi.h"
#include "view/win32/ResourceIds.h"
#include "runtime/win32/SystemCalls.h"
#include "view/win32/Wide.h"
#include "view/win32/WicTransform.h"
#include "view/win32/Win32Picture.h"
#include "window/ViewContract.h"

namespace tavro::win32ui {

using Microsoft::WRL::ComPtr;

namespace {

[[noreturn]] void InvalidPicture() {
  throw RuntimeError(err::kInvalidPicture, "Invalid picture");
}

// The largest picture decoded: a side of 16384 pixels and 128 MiB of pixels
// in all (a 32-bit process has 2 GiB of address space, in pieces). A file
// may declare any size in a few bytes; it is refused before anything of
// that size is allocated.
constexpr UINT kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t{32} * 1024 * 1024;

// The frame decoded by the decoder itself at a smaller size: fit's size, or
// the nearest size above it that it gives directly (a JPEG decoder decodes
// at 1/2, 1/4 or 1/8 of the size, skipping most of the work); nullptr when
// it offers no such size.
ComPtr<IWICBitmapSource> DecodedSmaller(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                                        UINT width, UINT height, UINT fit_width, UINT fit_height) {
  ComPtr<IWICBitmapSourceTransform> transform;
  if (FAILED(frame->QueryInterface(IID_PPV_ARGS(transform.GetAddressOf()))))
    return nullptr;
  // The closest size may lie below the one asked for: ask for twice as much
  // until it does not.
  UINT w = 0;
  UINT h = 0;
  for (UINT ask_w = fit_width, ask_h = fit_height; ask_w < width && ask_h < height;
       ask_w *= 2, ask_h *= 2) {
    w = ask_w;
    h = ask_h;
    if (FAILED(transform->GetClosestSize(&w, &h)))
      return nullptr;
    if (w >= fit_width && h >= fit_height)
      break;
  }
  if (w < fit_width || h < fit_height || w >= width || h >= height)
    return nullptr;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppPBGRA;
  ComPtr<IWICBitmap> bitmap;
  ComPtr<IWICBitmapLock> lock;
  const WICRect all{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
  UINT stride = 0;
  UINT size = 0;
  BYTE* data = nullptr;
  if (FAILED(transform->GetClosestPixelFormat(&format)) ||
      FAILED(factory->CreateBitmap(w, h, format, WICBitmapCacheOnLoad, bitmap.GetAddressOf())) ||
      FAILED(bitmap->Lock(&all, WICBitmapLockWrite, lock.GetAddressOf())) ||
      FAILED(lock->GetStride(&stride)) || FAILED(lock->GetDataPointer(&size, &data)) ||
      FAILED(transform->CopyPixels(nullptr, w, h, &format, WICBitmapTransformRotate0, stride, size,
                                   data))) {
    return nullptr;
  }
  return bitmap;
}

// The size a picture shown fitted into box (device pixels) is held at:
// its own when that is no larger than the fitted size, or box is empty.
SIZE HeldSize(UINT width, UINT height, SIZE box) {
  const SIZE own{static_cast<LONG>(width), static_cast<LONG>(height)};
  if (box.cx <= 0 || box.cy <= 0)
    return own;
  const view::Rect fit = view::FitPicture(own.cx, own.cy, box.cx, box.cy);
  if (fit.width >= own.cx || fit.height >= own.cy)
    return own;
  return SIZE{fit.width, fit.height};
}

// Shrinks a converted picture of width x height into the DIB pixels to
// (held.cx x held.cy), reading a band of rows at a time: each target pixel
// is the mean of the source pixels it covers, the rule the picture box
// draws a shrunk picture by, so a cover looks as it did when it was
// decoded whole. (Not WIC's scaler: Wine's picks one pixel of each block,
// which turns a photo's fine detail into noise.) Sum holds one channel's
// sum over a block.
template <typename Sum>
bool ShrinkInto(IWICBitmapSource* source, UINT width, UINT height, SIZE held, BYTE* to) {
  const auto w = static_cast<UINT>(held.cx);
  const auto h = static_cast<UINT>(held.cy);
  std::vector<UINT> column(width);  // the first channel of each source column's target
  std::vector<UINT> columns_in(w, 0);
  for (UINT x = 0; x < width; ++x) {
    const auto target = static_cast<UINT>(std::uint64_t{x} * w / width);
    column[x] = target * 4;
    ++columns_in[target];
  }
  constexpr UINT kBand = 16;
  const UINT stride = width * 4;
  std::vector<BYTE> band(std::size_t{stride} * kBand);
  std::vector<Sum> sums(std::size_t{w} * 4);
  UINT next_row = 0;  // the first source row not yet read
  for (UINT y = 0; y < h; ++y) {
    const auto y1 = static_cast<UINT>(std::uint64_t{y + 1} * height / h);
    const UINT rows = y1 - next_row;
    std::fill(sums.begin(), sums.end(), Sum{0});
    while (next_row < y1) {
      const UINT n = std::min(kBand, y1 - next_row);
      const WICRect rect{0, static_cast<INT>(next_row), static_cast<INT>(width),
                         static_cast<INT>(n)};
      if (FAILED(source->CopyPixels(&rect, stride, stride * n, band.data())))
        return false;
      for (UINT r = 0; r < n; ++r) {
        const BYTE* from = band.data() + std::size_t{r} * stride;
        for (UINT x = 0; x < width; ++x, from += 4) {
          Sum* sum = &sums[column[x]];
          sum[0] += from[0];
          sum[1] += from[1];
          sum[2] += from[2];
          sum[3] += from[3];
        }
      }
      next_row += n;
    }
    BYTE* row = to + std::size_t{y} * w * 4;
    for (UINT x = 0; x < w; ++x) {
      const Sum count = static_cast<Sum>(rows) * columns_in[x];
      for (UINT c = 0; c < 4; ++c)
        row[x * 4 + c] = static_cast<BYTE>(sums[x * 4 + c] / count);
    }
  }
  return true;
}

// 32-bit sums where a block cannot overflow them: the 32-bit program adds
// 64-bit ones in two steps.
bool ShrinkInto(IWICBitmapSource* source, UINT width, UINT height, SIZE held, BYTE* to) {
  const std::uint64_t block = (std::uint64_t{width} / static_cast<UINT>(held.cx) + 1) *
                              (std::uint64_t{height} / static_cast<UINT>(held.cy) + 1);
  if (block * 255 <= UINT32_MAX)
    return ShrinkInto<std::uint32_t>(source, width, height, held, to);
  return ShrinkInto<std::uint64_t>(source, width, height, held, to);
}

// The first frame as a 32-bit premultiplied top-down DIB: at its own size,
// or for a picture shown fitted into box (device pixels) at about that size:
// decoded smaller where the decoder can (a JPEG at 1/2, 1/4 or 1/8), else
// shrunk to the fitted size a band at a time (see ShrinkInto).
std::shared_ptr<DecodedBitmap> DecodeFirstFrame(IWICImagingFactory* factory,
                                                IWICBitmapDecoder* decoder, SIZE box = {}) {
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0;
  UINT height = 0;
  // The size is the header's: a hostile one is refused before any decoding.
  if (FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 || width > kMaxSide ||
      height > kMaxSide || std::uint64_t{width} * height > kMaxPixels) {
    InvalidPicture();
  }
  SIZE held = HeldSize(width, height, box);
  const auto whole = [&] {
    return held.cx == static_cast<LONG>(width) && held.cy == static_cast<LONG>(height);
  };
  ComPtr<IWICBitmapSource> source = frame;
  if (!whole()) {
    if (auto smaller = DecodedSmaller(factory, frame.Get(), width, height,
                                      static_cast<UINT>(held.cx), static_cast<UINT>(held.cy))) {
      source = smaller;
      if (FAILED(source->GetSize(&width, &height)))
        InvalidPicture();
      held = SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
    }
  }
  if (FAILED(factory->CreateFormatConverter(converter.GetAddressOf())) ||
      FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    InvalidPicture();
  }
  UINT converted_width = 0;
  UINT converted_height = 0;
  if (FAILED(converter->GetSize(&converted_width, &converted_height)) || converted_width != width ||
      converted_height != height) {
    InvalidPicture();
  }
  void* bits = nullptr;
  auto decoded = std::make_shared<DecodedBitmap>();
  decoded->bitmap = MakeDib(static_cast<int>(held.cx), static_cast<int>(held.cy), &bits);
  if (!decoded->bitmap)
    InvalidPicture();
  const UINT stride = width * 4;
  const bool copied =
      whole() ? SUCCEEDED(converter->CopyPixels(nullptr, stride, stride * height,
                                                static_cast<BYTE*>(bits)))
              : ShrinkInto(converter.Get(), width, height, held, static_cast<BYTE*>(bits));
  if (!copied)
    InvalidPicture();
  width = static_cast<UINT>(held.cx);
  height = static_cast<UINT>(held.cy);
  decoded->width = static_cast<int>(width);
  decoded->height = static_cast<int>(height);
  return decoded;
}

// A picture built into the program: its pixels, decoded when the program
// was built (resources/windows/bake_pixels.py says how they are laid out).
std::shared_ptr<DecodedBitmap> BakedResource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const auto* data = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  constexpr DWORD kHeader = 16;
  std::uint32_t header[4] = {};
  if (data == nullptr || size < kHeader)
    InvalidPicture();
  std::memcpy(header, data, kHeader);
  const std::uint32_t width = header[1];
  const std::uint32_t height = header[2];
  const std::uint32_t depth = header[3];
  if (std::memcmp(data, "TAVP", 4) != 0 || width == 0 || height == 0 || width > kMaxSide ||
      height > kMaxSide || (depth != 3 && depth != 4) ||
      std::uint64_t{width} * height * depth != size - kHeader) {
    InvalidPicture();
  }
  void* bits = nullptr;
  auto baked = std::make_shared<DecodedBitmap>();
  baked->bitmap = MakeDib(static_cast<int>(width), static_cast<int>(height), &bits);
  if (!baked->bitmap)
    InvalidPicture();
  const BYTE* from = data + kHeader;
  auto* to = static_cast<BYTE*>(bits);
  if (depth == 4) {
    std::memcpy(to, from, std::size_t{width} * height * 4);
  } else {
    for (std::size_t i = 0, n = std::size_t{width} * height; i < n; ++i, from += 3, to += 4) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = 255;
    }
  }
  baked->width = static_cast<int>(width);
  baked->height = static_cast<int>(height);
  return baked;
}

PicturePtr ToPicture(const std::shared_ptr<DecodedBitmap>& decoded) {
  return std::make_shared<Win32Picture>(std::move(decoded->bitmap), decoded->width,
                                        decoded->height);
}

// The first factory: the second one does not exist before Windows 8.
ComPtr<IWICImagingFactory> MakeFactory() {
  ComPtr<IWICImagingFactory> factory;
  win32::sys::CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(factory.GetAddressOf()));
  return factory;
}

}  // namespace

ComApartment::ComApartment()
    : initialized_(SUCCEEDED(win32::sys::CoInitializeEx(
          nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}

ComApartment::~ComApartment() {
  if (initialized_)
    win32::sys::CoUninitialize();
}

Win32UiPictures::Win32UiPictures(const Win32Dialogs& window) : window_(window) {}

Win32UiPictures::~Win32UiPictures() = default;

IWICImagingFactory* Win32UiPictures::Factory() {
  // Made at the first picture file: a start that opens none never pays for it.
  if (!factory_tried_) {
    factory_tried_ = true;
    factory_ = MakeFactory();
  }
  return factory_.Get();
}

PicturePtr Win32UiPictures::LoadPictureToFit(const std::string& path, int box_width,
                                             int box_height) {
  const auto owner = reinterpret_cast<HWND>(window_.OwnerWindow());
  const int dpi = static_cast<int>(owner != nullptr ? WindowDpi(owner) : SystemDpi());
  return Load(path, SIZE{MulDiv(box_width, dpi, 96), MulDiv(box_height, dpi, 96)});
}

PicturePtr Win32UiPictures::Load(const std::string& path, SIZE box) {
  // Through the program's one safe read: a pipe or a device in a cover's
  // place is never read, and what is decoded is what was checked. The bytes
  // outlive the stream and the decoder, and go once the picture is made.
  std::string bytes = ReadPictureFile(path);
  IWICImagingFactory* factory = Factory();
  if (factory == nullptr || bytes.empty())
    InvalidPicture();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateStream(stream.GetAddressOf())) ||
      FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.GetAddressOf()))) {
    InvalidPicture();
  }
  return ToPicture(DecodeFirstFrame(factory, decoder.Get(), box));
}

PicturePtr Win32UiPictures::LoadResource(int id) {
  return ToPicture(BakedResource(id));
}

PicturePtr Win32UiPictures::LoadIconResource(int id, int size) {
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size,
                           LR_DEFAULTCOLOR);
  if (icon == nullptr)
    InvalidPicture();
  return std::make_shared<Win32Picture>(UniqueIcon(static_cast<HICON>(icon)), size, size);
}

PicturePtr Win32UiPictures::PictureFromRgba(int width, int height,
                                            const std::vector<std::uint8_t>& rgba) {
  if (width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    InvalidPicture();
  }
  void* bits = nullptr;
  UniqueBitmap bitmap = MakeDib(width, height, &bits);
  if (!bitmap || bits == nullptr)
    InvalidPicture();
  // Blue, green, red, alpha with the colours multiplied by the alpha: what
  // GdiAlphaBlend takes, so a see-through pixel lets the box's colour show.
  auto* to = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    const unsigned alpha = rgba[i + 3];
    for (std::size_t c = 0; c < 3; ++c)
      to[i + 2 - c] = static_cast<std::uint8_t>((rgba[i + c] * alpha + 127) / 255);
    to[i + 3] = static_cast<std::uint8_t>(alpha);
  }
  return std::make_shared<Win32Picture>(std::move(bitmap), width, height);
}

PicturePtr Win32UiPictures::LoadResourcePicture(ResourcePicture which) {
  switch (which) {
    case ResourcePicture::kNone:
      return nullptr;
    case ResourcePicture::kBackground:
      return LoadResource(TAVRO_IDR_BACKGROUND);
    case ResourcePicture::kLogo:
      return LoadResource(TAVRO_IDR_LOGO);
    case ResourcePicture::kDonate:
      return LoadResource(TAVRO_IDR_DONATE);
    case ResourcePicture::kHand:
      // The hand has one 32 x 32 image; it becomes the pointer as it is.
      return LoadIconResource(TAVRO_IDI_HAND, 32);
    case ResourcePicture::kIcon:
      return LoadIconResource(TAVRO_IDI_APP, GetSystemMetrics(SM_CXICON));
  }
  return nullptr;
}

}  // namespace tavro::win32ui
