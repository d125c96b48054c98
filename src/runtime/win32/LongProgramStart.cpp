#include "runtime/win32/LongProgramStart.h"

#include <windows.h>

namespace tavro::win32 {

namespace {

std::wstring ShortPath(const std::wstring& path) {
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0)
    return {};
  std::wstring out(size, L'\0');
  const DWORD len = GetShortPathNameW(path.c_str(), out.data(), size);
  if (len == 0 || len >= size)
    return {};
  out.resize(len);
  return out;
}

std::wstring CurrentFolderNow() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0)
    return {};
  std::wstring out(size, L'\0');
  const DWORD len = GetCurrentDirectoryW(size, out.data());
  if (len == 0 || len >= size)
    return {};
  out.resize(len);
  return out;
}

}  // namespace

LongProgramStart::LongProgramStart(const std::wstring& program) {
  const std::wstring short_path = ShortPath(program);
  const auto slash = short_path.rfind(L'\\');
  // A current folder takes no more than MAX_PATH - 2 characters.
  if (slash != std::wstring::npos && slash + 2 < MAX_PATH) {
    own_folder_ = CurrentFolderNow();
    if (!own_folder_.empty() && SetCurrentDirectoryW(short_path.substr(0, slash).c_str())) {
      // In the current folder, and nowhere else.
      application_ = L".\\" + short_path.substr(slash + 1);
      return;
    }
    own_folder_.clear();
  }
  const bool drive = program.size() >= 3 && program[1] == L':' && program[2] == L'\\';
  application_ = drive ? LR"(\\?\)" + program : program;
}

LongProgramStart::~LongProgramStart() {
  if (!own_folder_.empty())
    SetCurrentDirectoryW(own_folder_.c_str());
}

}  // namespace tavro::win32
