#pragma once
// UTF-8 inside, UTF-16 at the Win32 calls: the view's name for the
// conversion of runtime/win32 it makes, and a window's text.

#include <windows.h>

#include <string>
#include <string_view>

#include "runtime/win32/Wide.h"

namespace tavro::win32ui {

inline std::wstring Widen(std::string_view utf8) {
  return win32::Wide(utf8);
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace tavro::win32ui
