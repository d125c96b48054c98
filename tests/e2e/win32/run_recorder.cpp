// Stands in for a program planted where a launcher must never look for the
// system's own (taskkill.exe, Explorer.exe beside it or in the working
// folder). Each start appends its command line, in UTF-8, and CR LF to
// "<its own path>.ran"; the file existing at all is what gives it away.

#include <windows.h>

#include <string>

int wmain() {
  wchar_t own[32768] = {};
  const DWORD len = GetModuleFileNameW(nullptr, own, 32768);
  if (len == 0 || len >= 32768)
    return 2;
  const std::wstring record = std::wstring(own, len) + L".ran";
  const wchar_t* line = GetCommandLineW();
  std::string text(static_cast<std::size_t>(
                       WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), static_cast<int>(text.size()), nullptr,
                      nullptr);
  text.back() = '\r';  // in place of the ending NUL
  text += '\n';
  const HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
