#include "runtime/win32/SystemLibraries.h"

#include <string>

namespace tavro::win32 {

namespace {

// Set once SetDefaultDllDirectories has limited every search.
bool system_folder_only = false;

}  // namespace

void LoadLibrariesFromSystemFolderOnly() {
  // Looked up: Windows 7 without its update has no such function, and an
  // import of it would keep the program from starting there.
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto set_directories = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  system_folder_only =
      set_directories != nullptr && set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
  if (!system_folder_only)
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (system_folder_only)
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // By full path, its own imports looked for in its folder first. (The
  // common controls come as the system folder's version 5 then, which has
  // every call used here; the manifest's version 6 still draws the
  // controls, loaded by the system for their window classes.)
  wchar_t folder[MAX_PATH] = {};
  const UINT len = GetSystemDirectoryW(folder, MAX_PATH);
  if (len == 0 || len >= MAX_PATH)
    return nullptr;
  const std::wstring path = std::wstring(folder, len) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace tavro::win32
