#pragma once
// A decoded picture of the Windows build: a 32-bit top-down DIB section with
// premultiplied alpha (what WIC decodes), or an icon loaded from the
// program's resources.

#include <windows.h>

#include <memory>

#include "runtime/Runtime.h"
#include "view/win32/Handles.h"

namespace tavro::win32ui {

// A bitmap decoded, before it becomes a picture.
struct DecodedBitmap {
  UniqueBitmap bitmap;
  int width = 0;
  int height = 0;
};

class Win32Picture final : public Picture {
 public:
  Win32Picture(UniqueBitmap bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  Win32Picture(UniqueIcon icon, int width, int height)
      : icon_(std::move(icon)), width_(width), height_(height) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  HBITMAP Bitmap() const { return bitmap_.get(); }
  HICON Icon() const { return icon_.get(); }

  // Draws the picture into dest, scaled to its size when that differs
  // (averaging the pixels each target pixel covers, so a shrunk logo stays
  // smooth); transparent pixels let the background show.
  void Draw(HDC dc, const RECT& dest) const;
  // The bitmap at a size: its own, or a scaled copy kept until another size
  // is asked for; nullptr for an icon.
  HBITMAP BitmapAt(int width, int height) const;

  // The part of the picture drawn at the given size that a rect of that
  // drawing covers, the picture repeating beyond its edges.
  UniqueBitmap Part(SIZE drawn, const RECT& part) const;

  // A cursor drawn from the picture with its hot spot at the given pixel.
  UniqueCursor MakeCursor(POINT hotspot) const;

 private:
  HBITMAP Scaled(int width, int height) const;

  UniqueBitmap bitmap_;
  UniqueIcon icon_;
  int width_ = 0;
  int height_ = 0;
  // The last scaled copy: a picture is drawn at one size at a time.
  mutable UniqueBitmap scaled_;
  mutable SIZE scaled_size_{};
};

// A 32-bit top-down DIB section of the given size; bits receives its pixels.
UniqueBitmap MakeDib(int width, int height, void** bits);

}  // namespace tavro::win32ui
