#pragma once
// The owners of the Win32 handles the view holds, and scopes for what a
// paint selects or begins.

#include <windows.h>

#include <utility>

#include "runtime/win32/UniqueHandle.h"

namespace tavro::win32ui {

using win32::UniqueHandle;

inline void FreeGdiObject(HGDIOBJ object) {
  DeleteObject(object);
}
inline void FreeIcon(HICON icon) {
  DestroyIcon(icon);
}
inline void FreeCursor(HCURSOR cursor) {
  DestroyCursor(cursor);
}
inline void FreeWindow(HWND window) {
  DestroyWindow(window);
}
inline void FreeDc(HDC dc) {
  DeleteDC(dc);
}

using UniqueBrush = UniqueHandle<HBRUSH, FreeGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, FreeGdiObject>;
using UniqueFont = UniqueHandle<HFONT, FreeGdiObject>;
using UniqueIcon = UniqueHandle<HICON, FreeIcon>;
using UniqueCursor = UniqueHandle<HCURSOR, FreeCursor>;
using UniqueWindow = UniqueHandle<HWND, FreeWindow>;
using UniqueMemoryDc = UniqueHandle<HDC, FreeDc>;

// Selects a GDI object into a DC for one scope.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectObjectScope() { SelectObject(dc_, old_); }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window timer, killed with its owner.
class UniqueTimer {
 public:
  UniqueTimer() = default;
  UniqueTimer(HWND window, UINT_PTR id, UINT interval_ms) : window_(window), id_(id) {
    if (SetTimer(window, id, interval_ms, nullptr) == 0)
      window_ = nullptr;
  }
  ~UniqueTimer() { reset(); }
  UniqueTimer(const UniqueTimer&) = delete;
  UniqueTimer& operator=(const UniqueTimer&) = delete;
  UniqueTimer(UniqueTimer&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), id_(other.id_) {}
  UniqueTimer& operator=(UniqueTimer&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = std::exchange(other.window_, nullptr);
      id_ = other.id_;
    }
    return *this;
  }
  explicit operator bool() const { return window_ != nullptr; }
  void reset() {
    if (window_ != nullptr)
      KillTimer(window_, id_);
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  UINT_PTR id_ = 0;
};

// Paints between BeginPaint and EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
  ~PaintScope() { EndPaint(window_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace tavro::win32ui
