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

namespace {

// The source pixels one target pixel is made of, and their weights (summing
// to one).
struct Taps {
  int first = 0;
  std::vector<float> weights;
};

// Along one axis, for each of target pixels out of source pixels. Shrinking
// averages every source pixel a target pixel covers, by the share it
// covers (what halftone stretching does; nothing is skipped, so a shrunk
// photo does not shimmer); enlarging blends the two nearest source pixels,
// so an enlarged logo has no uneven steps.
std::vector<Taps> AxisTaps(int source, int target) {
  std::vector<Taps> taps(static_cast<size_t>(target));
  const double scale = static_cast<double>(source) / target;
  for (int i = 0; i < target; ++i) {
    Taps& tap = taps[static_cast<size_t>(i)];
    if (scale > 1.0) {
      const double begin = i * scale;
      const double end = std::min<double>(source, (i + 1) * scale);
      tap.first = static_cast<int>(begin);
      for (int s = tap.first; s < end; ++s) {
        const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
        tap.weights.push_back(static_cast<float>(covered / scale));
      }
    } else {
      const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, source - 1.0);
      tap.first = static_cast<int>(centre);
      const auto share = static_cast<float>(centre - tap.first);
      tap.weights.push_back(1.0f - share);
      if (tap.first + 1 < source && share > 0.0f)
        tap.weights.push_back(share);
    }
  }
  return taps;
}

}  // namespace

HBITMAP Win32Picture::BitmapAt(int width, int height) const {
  if (width == width_ && height == height_)
    return bitmap_.get();
  return Scaled(width, height);
}

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
  const auto columns = AxisTaps(width_, width);
  const auto rows = AxisTaps(height_, height);
  // Rows first into one line of the source's width, then along it: the
  // premultiplied channels average correctly, alpha with them.
  std::vector<float> line(static_cast<size_t>(width_) * 4);
  for (int y = 0; y < height; ++y) {
    std::fill(line.begin(), line.end(), 0.0f);
    const Taps& row = rows[static_cast<size_t>(y)];
    for (size_t k = 0; k < row.weights.size(); ++k) {
      const std::uint8_t* from = src + (static_cast<size_t>(row.first) + k) * width_ * 4;
      const float weight = row.weights[k];
      for (size_t i = 0; i < line.size(); ++i)
        line[i] += weight * from[i];
    }
    std::uint8_t* to = dst + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      const Taps& column = columns[static_cast<size_t>(x)];
      float sum[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < column.weights.size(); ++k) {
        const float* from = &line[(static_cast<size_t>(column.first) + k) * 4];
        for (int c = 0; c < 4; ++c)
          sum[c] += column.weights[k] * from[c];
      }
      for (int c = 0; c < 4; ++c)
        to[x * 4 + c] = static_cast<std::uint8_t>(std::clamp(sum[c] + 0.5f, 0.0f, 255.0f));
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
  if (HBITMAP drawn = BitmapAt(width, height))
    AlphaDraw(dc, drawn, dest.left, dest.top, width, height);
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
