#include "runtime/win32ui/Win32UiServices.h"

#include <cstdint>
#include <cstring>
#include <exception>

#include "runtime/win32ui/Dpi.h"
#include "runtime/win32ui/ResourceIds.h"
#include "runtime/win32ui/Wide.h"
#include "runtime/win32ui/WicTransform.h"
#include "runtime/win32ui/Win32Picture.h"
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

// What a picture shown fitted into box (device pixels) is made from: the
// frame at its own size when it is no larger, else decoded smaller where
// the decoder can, else scaled to the fitted size by WIC's scaler, which
// reads the frame a band at a time.
ComPtr<IWICBitmapSource> SourceFor(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                                   UINT width, UINT height, SIZE box) {
  if (box.cx <= 0 || box.cy <= 0)
    return frame;
  const view::Rect fit =
      view::FitPicture(static_cast<int>(width), static_cast<int>(height), box.cx, box.cy);
  const auto fit_width = static_cast<UINT>(fit.width);
  const auto fit_height = static_cast<UINT>(fit.height);
  if (fit_width >= width || fit_height >= height)
    return frame;
  if (auto smaller = DecodedSmaller(factory, frame, width, height, fit_width, fit_height))
    return smaller;
  ComPtr<IWICBitmapScaler> scaler;
  if (FAILED(factory->CreateBitmapScaler(scaler.GetAddressOf())) ||
      FAILED(scaler->Initialize(frame, fit_width, fit_height, WICBitmapInterpolationModeFant))) {
    return frame;
  }
  return scaler;
}

// The first frame as a 32-bit premultiplied top-down DIB: at its own size,
// or for a picture shown fitted into box (device pixels) at about that size
// (see SourceFor).
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
  const ComPtr<IWICBitmapSource> source = SourceFor(factory, frame.Get(), width, height, box);
  if (FAILED(source->GetSize(&width, &height)) ||
      FAILED(factory->CreateFormatConverter(converter.GetAddressOf())) ||
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
  decoded->bitmap = MakeDib(static_cast<int>(width), static_cast<int>(height), &bits);
  if (!decoded->bitmap)
    InvalidPicture();
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    InvalidPicture();
  }
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
  CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                   IID_PPV_ARGS(factory.GetAddressOf()));
  return factory;
}

}  // namespace

ComApartment::ComApartment()
    : initialized_(
          SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}

ComApartment::~ComApartment() {
  if (initialized_)
    CoUninitialize();
}

Win32UiServices::Win32UiServices() = default;

Win32UiServices::~Win32UiServices() = default;

IWICImagingFactory* Win32UiServices::Factory() {
  // Made at the first picture file: a start that opens none never pays for it.
  if (!factory_tried_) {
    factory_tried_ = true;
    factory_ = MakeFactory();
  }
  return factory_.Get();
}

PicturePtr Win32UiServices::LoadPicture(const std::string& path) {
  return Load(path, SIZE{});
}

PicturePtr Win32UiServices::LoadPictureToFit(const std::string& path, int box_width,
                                             int box_height) {
  const auto owner = reinterpret_cast<HWND>(OwnerWindow());
  const int dpi = static_cast<int>(owner != nullptr ? WindowDpi(owner) : SystemDpi());
  return Load(path, SIZE{MulDiv(box_width, dpi, 96), MulDiv(box_height, dpi, 96)});
}

PicturePtr Win32UiServices::Load(const std::string& path, SIZE box) {
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

PicturePtr Win32UiServices::LoadResource(int id) {
  return ToPicture(BakedResource(id));
}

PicturePtr Win32UiServices::LoadIconResource(int id, int size) {
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size,
                           LR_DEFAULTCOLOR);
  if (icon == nullptr)
    InvalidPicture();
  return std::make_shared<Win32Picture>(UniqueIcon(static_cast<HICON>(icon)), size, size);
}

PicturePtr Win32UiServices::LoadResourcePicture(ResourcePicture which) {
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
