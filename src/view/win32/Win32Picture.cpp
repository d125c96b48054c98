#include "view/win32/Win32Picture.h"

#include <algorithm>
#include <cstdint>
#include <exception>
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
  // gdi32's own entry point: msimg32 is no known library of the system, so a
  // copy beside the program would be loaded in its place.
  GdiAlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, width, height, blend);
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
// covers (what halftone stretching does: nothing is skipped); enlarging
// blends the two nearest source pixels, so an enlarged logo has no uneven
// steps. (GDI's own HALFTONE mode skips pixels when shrinking under Wine.)
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

// Box filter: each target pixel is the mean of the source pixels it
// covers, so a shrunk picture keeps every detail's share (the donate logo
// in Image12 has been drawn this way from the start).
void Shrink(const std::uint8_t* src, int src_width, int src_height, std::uint8_t* dst, int width,
            int height) {
  for (int y = 0; y < height; ++y) {
    const int y0 = y * src_height / height;
    const int y1 = std::max(y0 + 1, (y + 1) * src_height / height);
    for (int x = 0; x < width; ++x) {
      const int x0 = x * src_width / width;
      const int x1 = std::max(x0 + 1, (x + 1) * src_width / width);
      std::uint32_t sum[4] = {0, 0, 0, 0};
      for (int sy = y0; sy < y1; ++sy) {
        const std::uint8_t* row = src + static_cast<size_t>(sy) * src_width * 4;
        for (int sx = x0; sx < x1; ++sx) {
          for (int c = 0; c < 4; ++c)
            sum[c] += row[sx * 4 + c];
        }
      }
      const auto count = static_cast<std::uint32_t>((y1 - y0) * (x1 - x0));
      std::uint8_t* px = dst + (static_cast<size_t>(y) * width + x) * 4;
      for (int c = 0; c < 4; ++c)
        px[c] = static_cast<std::uint8_t>(sum[c] / count);
    }
  }
}

// Enlarging (a logo at a higher DPI, a small cover): each axis by its taps,
// rows first into one line of the source's width, then along it. The
// premultiplied channels blend correctly, alpha with them.
void Blend(const std::uint8_t* src, int src_width, int src_height, std::uint8_t* dst, int width,
           int height) {
  const auto columns = AxisTaps(src_width, width);
  const auto rows = AxisTaps(src_height, height);
  std::vector<float> line(static_cast<size_t>(src_width) * 4);
  for (int y = 0; y < height; ++y) {
    std::fill(line.begin(), line.end(), 0.0f);
    const Taps& row = rows[static_cast<size_t>(y)];
    for (size_t k = 0; k < row.weights.size(); ++k) {
      const std::uint8_t* from = src + (static_cast<size_t>(row.first) + k) * src_width * 4;
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
  if (width <= width_ && height <= height_) {
    Shrink(src, width_, height_, dst, width, height);
  } else {
    Blend(src, width_, height_, dst, width, height);
  }
  scaled_ = std::move(out);
  scaled_size_ = SIZE{width, height};
  return scaled_.get();
}

UniqueBitmap Win32Picture::Part(SIZE drawn, const RECT& part) const {
  const int width = part.right - part.left;
  const int height = part.bottom - part.top;
  if (width <= 0 || height <= 0 || drawn.cx <= 0 || drawn.cy <= 0)
    return {};
  HBITMAP whole = BitmapAt(drawn.cx, drawn.cy);
  const std::uint8_t* src = whole != nullptr ? Pixels(whole) : nullptr;
  void* bits = nullptr;
  UniqueBitmap out = MakeDib(width, height, &bits);
  if (src == nullptr || !out)
    return {};
  GdiFlush();
  auto* dst = static_cast<std::uint32_t*>(bits);
  const auto* from = reinterpret_cast<const std::uint32_t*>(src);
  for (int y = 0; y < height; ++y) {
    const int sy = ((part.top + y) % drawn.cy + drawn.cy) % drawn.cy;
    for (int x = 0; x < width; ++x) {
      const int sx = ((part.left + x) % drawn.cx + drawn.cx) % drawn.cx;
      dst[static_cast<size_t>(y) * width + x] = from[static_cast<size_t>(sy) * drawn.cx + sx];
    }
  }
  return out;
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
