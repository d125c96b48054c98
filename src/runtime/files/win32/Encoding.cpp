#include "runtime/Encoding.h"

#include <windows.h>

namespace tavro {

std::string LegacyToUtf8(std::string_view bytes) {
  if (bytes.empty())
    return {};
  const int n = static_cast<int>(bytes.size());
  const int wide_len = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
  if (wide_len <= 0)
    return std::string(bytes);
  std::wstring wide(static_cast<size_t>(wide_len), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, wide.data(), wide_len);
  const int len =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, out.data(), len, nullptr, nullptr);
  return out;
}

}  // namespace tavro
