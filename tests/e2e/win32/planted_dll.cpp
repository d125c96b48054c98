// Stands in for a library planted beside a program or in its working folder
// (copied there under the name of a system library). Loaded, it creates
// "<its own path>.ran": the file existing at all is what gives it away. It
// exports nothing, so a program that binds to it fails as well.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH)
    return TRUE;
  wchar_t record[MAX_PATH + 8] = {};
  const DWORD len = GetModuleFileNameW(self, record, MAX_PATH);
  if (len == 0 || len >= MAX_PATH)
    return TRUE;
  lstrcatW(record, L".ran");
  const HANDLE file = CreateFileW(record, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  return TRUE;
}
