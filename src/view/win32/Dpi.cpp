#include "view/win32/Dpi.h"

namespace tavro::win32ui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// Looked up at each use (a handful of calls per DPI change): user32 is loaded
// for the whole life of a GUI program, so the lookup always finds it.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr)
    return nullptr;
  // The address is of the named function; its type is ours to know.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr)
    ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

}  // namespace

UINT SystemDpi() {
  if (const auto get = User32Function<GetDpiForSystemFn>("GetDpiForSystem")) {
    if (const UINT dpi = get(); dpi != 0)
      return dpi;
  }
  return ScreenDpi();
}

UINT WindowDpi(HWND window) {
  if (const auto get = User32Function<GetDpiForWindowFn>("GetDpiForWindow")) {
    if (const UINT dpi = get(window); dpi != 0)
      return dpi;
  }
  return SystemDpi();
}

BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD ex_style, UINT dpi) {
  if (const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi"))
    return adjust(rect, style, FALSE, ex_style, dpi);
  return AdjustWindowRectEx(rect, style, FALSE, ex_style);
}

}  // namespace tavro::win32ui
