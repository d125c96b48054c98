#pragma once
// UTF-8 inside, UTF-16 at each Win32 call.

#include <windows.h>

#include <string>
#include <string_view>

namespace tavro::win32 {

// Invalid UTF-8 becomes U+FFFD rather than failing: a name is never dropped.
inline std::wstring Wide(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int n = static_cast<int>(utf8.size());
  const int len = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
  if (len <= 0)
    return {};
  std::wstring out(static_cast<size_t>(len), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, out.data(), len);
  return out;
}

inline std::string Utf8(std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int n = static_cast<int>(wide.size());
  const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (len <= 0)
    return {};
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), len, nullptr, nullptr);
  return out;
}

// The system's text for an error code, without the trailing line break.
inline std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD len = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? std::wstring_view(buffer, len) : std::wstring_view());
  if (buffer)
    LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return Utf8(text);
}

}  // namespace tavro::win32
