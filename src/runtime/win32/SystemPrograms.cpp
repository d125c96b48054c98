#include "runtime/win32/SystemPrograms.h"

#include <windows.h>

#include "runtime/win32/Wide.h"

namespace tavro::win32 {

namespace {

using FolderCall = UINT(WINAPI*)(LPWSTR, UINT);

std::string InFolder(FolderCall folder_of, const wchar_t* name) {
  // Asked for its size first: the folder may be longer than MAX_PATH.
  const UINT size = folder_of(nullptr, 0);
  if (size == 0)
    return {};
  std::wstring folder(size, L'\0');
  const UINT len = folder_of(folder.data(), size);
  if (len == 0 || len >= size)
    return {};
  folder.resize(len);
  if (folder.back() != L'\\')
    folder += L'\\';
  return Utf8(folder + name);
}

}  // namespace

std::string SystemFolderProgram(const wchar_t* name) {
  return InFolder(&GetSystemDirectoryW, name);
}

std::string WindowsFolderProgram(const wchar_t* name) {
  return InFolder(&GetWindowsDirectoryW, name);
}

std::string TaskkillProgram() {
  BOOL wow64 = FALSE;
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
    const std::string native = WindowsFolderProgram(L"Sysnative\\taskkill.exe");
    if (!native.empty() && GetFileAttributesW(Wide(native).c_str()) != INVALID_FILE_ATTRIBUTES)
      return native;
  }
  return SystemFolderProgram(L"taskkill.exe");
}

}  // namespace tavro::win32
