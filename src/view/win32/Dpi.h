#pragma once
// The window's DPI and the metrics that follow it. The per-monitor calls
// (GetDpiForWindow, AdjustWindowRectExForDpi, ...) came with Windows 10 1607;
// imported directly they would keep the program from loading on Windows 7
// and 8, so they are looked up at run time, and older systems get the
// system-wide DPI, which is all they know.

#include <windows.h>

namespace tavro::win32ui {

// The DPI of the whole session: the screen's LOGPIXELSX where the newer call
// is missing.
UINT SystemDpi();
// The DPI the window is drawn at (per monitor where the system knows it).
UINT WindowDpi(HWND window);
// AdjustWindowRectEx at a given DPI; without the newer call, at the system
// DPI (the one DPI older systems draw frames at).
BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD ex_style, UINT dpi);

}  // namespace tavro::win32ui
