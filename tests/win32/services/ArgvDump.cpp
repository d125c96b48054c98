// A stand-in program for the process tests: writes the command line it was
// given, and the window style it was asked for, as UTF-8 to
// command_line.txt beside itself, and before it the arguments as its C
// runtime split them, one a line, to argv.txt. With "--stay" anywhere on the
// line it then waits until it is ended from outside.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty())
    return {};
  const int n = static_cast<int>(wide.size());
  const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), len, nullptr, nullptr);
  return out;
}

// Written beside and renamed, so a reader never sees half of it.
bool WriteWhole(const std::wstring& folder, const wchar_t* name, const std::string& text) {
  const std::wstring temp = folder + L"\\" + name + L".tmp";
  const std::wstring done = folder + L"\\" + name;
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && MoveFileExW(temp.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring line = GetCommandLineW();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const bool show_given = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
  const std::string text = Utf8(line) + "\n" +
                           (show_given ? std::to_string(startup.wShowWindow) : std::string("-")) +
                           "\n";

  std::wstring folder(32768, L'\0');
  folder.resize(GetModuleFileNameW(nullptr, folder.data(), static_cast<DWORD>(folder.size())));
  folder.resize(folder.find_last_of(L'\\'));
  std::string arguments;
  for (int i = 0; i < argc; ++i)
    arguments += Utf8(argv[i]) + "\n";
  if (!WriteWhole(folder, L"argv.txt", arguments) ||
      !WriteWhole(folder, L"command_line.txt", text)) {
    return 3;
  }

  if (line.find(L"--stay") != std::wstring::npos)
    Sleep(INFINITE);
  return 0;
}
