#pragma once
// UTF-8 inside, UTF-16 at the Win32 calls.

#include <windows.h>

#include <string>
#include <string_view>

namespace tavro::win32ui {

inline std::wstring Widen(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int n = static_cast<int>(utf8.size());
  const int len = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
  std::wstring out(static_cast<size_t>(len), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, out.data(), len);
  return out;
}

inline std::string Narrow(std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int n = static_cast<int>(wide.size());
  const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), len, nullptr, nullptr);
  return out;
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace tavro::win32ui
