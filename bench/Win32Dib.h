#pragma once
// What the Windows reference programs share: the pixels a WIC converter
// gives, as a top-down 32-bit DIB section.

#include <windows.h>
#include <wincodec.h>

// nullptr when the section cannot be made or the pixels cannot be copied.
inline HBITMAP DibFromConverter(IWICFormatConverter* converter, UINT width, UINT height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr && FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                                        static_cast<BYTE*>(bits)))) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}
