#include "runtime/win32ui/Win32Picture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavro::win32ui {

UniqueBitmap MakeDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows, as WIC hands them out
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

namespace {

const std::uint8_t* Pixels(HBITMAP bitmap) {
  DIBSECTION section{};
  if (GetObjectW(bitmap, sizeof(section), &section) != sizeof(section))
    return nullptr;
  return static_cast<const std::uint8_t*>(section.dsBm.bmBits);
}

void AlphaDraw(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
  UniqueMemoryDc memory(CreateCompatibleDC(dc));
  SelectObjectScope select(memory.get(), bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, width, height, blend);
}

}  // namespace

HBITMAP Win32Picture::Scaled(int width, int height) const {
  if (scaled_ && scaled_size_.cx == width && scaled_size_.cy == height)
    return scaled_.get();
  const std::uint8_t* src = Pixels(bitmap_.get());
  void* bits = nullptr;
  UniqueBitmap out = MakeDib(width, height, &bits);
  if (src == nullptr || !out)
    return nullptr;
  GdiFlush();
  auto* dst = static_cast<std::uint8_t*>(bits);
  // Box filter: each target pixel is the mean of the source pixels it
  // covers (at least one, so enlarging repeats pixels).
  for (int y = 0; y < height; ++y) {
    const int y0 = y * height_ / height;
    const int y1 = std::max(y0 + 1, (y + 1) * height_ / height);
    for (int x = 0; x < width; ++x) {
      const int x0 = x * width_ / width;
      const int x1 = std::max(x0 + 1, (x + 1) * width_ / width);
      std::uint32_t sum[4] = {0, 0, 0, 0};
      for (int sy = y0; sy < y1; ++sy) {
        const std::uint8_t* row = src + static_cast<size_t>(sy) * width_ * 4;
        for (int sx = x0; sx < x1; ++sx) {
          for (int c = 0; c < 4; ++c)
            sum[c] += row[sx * 4 + c];
        }
      }
      const std::uint32_t count = static_cast<std::uint32_t>((y1 - y0) * (x1 - x0));
      std::uint8_t* px = dst + (static_cast<size_t>(y) * width + x) * 4;
      for (int c = 0; c < 4; ++c)
        px[c] = static_cast<std::uint8_t>(sum[c] / count);
    }
  }
  scaled_ = std::move(out);
  scaled_size_ = SIZE{width, height};
  return scaled_.get();
}

void Win32Picture::Draw(HDC dc, const RECT& dest) const {
  const int width = dest.right - dest.left;
  const int height = dest.bottom - dest.top;
  if (width <= 0 || height <= 0)
    return;
  if (icon_) {
    DrawIconEx(dc, dest.left, dest.top, icon_.get(), width, height, 0, nullptr, DI_NORMAL);
    return;
  }
  if (!bitmap_)
    return;
  if (width == width_ && height == height_) {
    AlphaDraw(dc, bitmap_.get(), dest.left, dest.top, width, height);
  } else if (HBITMAP scaled = Scaled(width, height)) {
    AlphaDraw(dc, scaled, dest.left, dest.top, width, height);
  }
}

UniqueCursor Win32Picture::MakeCursor(POINT hotspot) const {
  ICONINFO info{};
  info.fIcon = FALSE;
  info.xHotspot = static_cast<DWORD>(hotspot.x);
  info.yHotspot = static_cast<DWORD>(hotspot.y);
  if (icon_) {
    ICONINFO own{};
    if (!GetIconInfo(icon_.get(), &own))
      return {};
    UniqueBitmap mask(own.hbmMask);
    UniqueBitmap color(own.hbmColor);
    info.hbmMask = mask.get();
    info.hbmColor = color.get();
    return UniqueCursor(CreateIconIndirect(&info));
  }
  if (!bitmap_)
    return {};
  // The colour bitmap carries alpha, so an all-zero AND mask is enough.
  const size_t stride = static_cast<size_t>((width_ + 15) / 16 * 2);
  std::vector<std::uint8_t> zeros(stride * static_cast<size_t>(height_), 0);
  UniqueBitmap mask(CreateBitmap(width_, height_, 1, 1, zeros.data()));
  info.hbmMask = mask.get();
  info.hbmColor = bitmap_.get();
  return UniqueCursor(CreateIconIndirect(&info));
}

}  // namespace tavro::win32ui
