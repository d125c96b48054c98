#include "runtime/win32ui/Win32UiServices.h"

#include <cstdint>
#include <exception>

#include "runtime/win32ui/ResourceIds.h"
#include "runtime/win32ui/Wide.h"
#include "runtime/win32ui/Win32Picture.h"

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

// The first frame as a 32-bit premultiplied top-down DIB.
std::shared_ptr<DecodedBitmap> DecodeFirstFrame(IWICImagingFactory* factory,
                                                IWICBitmapDecoder* decoder) {
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0;
  UINT height = 0;
  if (FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 || width > kMaxSide ||
      height > kMaxSide || std::uint64_t{width} * height > kMaxPixels) {
    InvalidPicture();
  }
  if (FAILED(factory->CreateFormatConverter(converter.GetAddressOf())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
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

// A picture of the program's RCDATA resources.
std::shared_ptr<DecodedBitmap> DecodeResource(IWICImagingFactory* factory, int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  if (data == nullptr || size == 0 || factory == nullptr)
    InvalidPicture();
  // The stream reads the resource in place; resources stay mapped for the
  // life of the module.
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateStream(stream.GetAddressOf())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.GetAddressOf()))) {
    InvalidPicture();
  }
  return DecodeFirstFrame(factory, decoder.Get());
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

Win32UiServices::Win32UiServices()
    : prefetched_{
          {{TAVRO_IDR_BACKGROUND, {}, {}}, {TAVRO_IDR_LOGO, {}, {}}, {TAVRO_IDR_DONATE, {}, {}}}} {
  for (auto& p : prefetched_)
    p.pending = p.promise.get_future().share();
  // Decoding takes longer than anything else before the window shows and
  // needs nothing the window needs: it runs beside the window's making.
  Background().Post([this] {
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
      const ComPtr<IWICImagingFactory> factory = MakeFactory();
      for (auto& p : prefetched_) {
        try {
          p.promise.set_value(DecodeResource(factory.Get(), p.id));
        } catch (...) {
          p.promise.set_exception(std::current_exception());
        }
      }
    }
    if (com)
      CoUninitialize();
  });
}

Win32UiServices::~Win32UiServices() {
  // The decoding uses this object's members.
  Background().Drain();
}

void Win32UiServices::FinishPictures() {
  for (auto& p : prefetched_)
    p.pending.get();  // rethrows what stopped the decoding
}

IWICImagingFactory* Win32UiServices::Factory() {
  // Made at the first picture file: a start that opens none never pays for it.
  if (!factory_tried_) {
    factory_tried_ = true;
    factory_ = MakeFactory();
  }
  return factory_.Get();
}

PicturePtr Win32UiServices::LoadPicture(const std::string& path) {
  // Through the program's one safe read: a pipe or a device in a cover's
  // place is never read, and what is decoded is what was checked.
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
  return ToPicture(DecodeFirstFrame(factory, decoder.Get()));
}

PicturePtr Win32UiServices::LoadResource(int id) {
  for (auto& p : prefetched_) {
    if (p.id == id && !p.handed_out) {
      p.handed_out = true;
      return std::make_shared<Win32Picture>(p.pending);
    }
  }
  return ToPicture(DecodeResource(Factory(), id));
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
