#pragma once
// Where the program's libraries come from. Only the libraries the system
// always takes from its own folder (kernel32, user32, gdi32, advapi32,
// msvcrt) are in the import table; the others (shell32, comctl32, ole32)
// are loaded at their first call (SystemCalls.h), after the search was
// limited to the system folder. Loaded at the start instead, a system
// library's own imports were looked for beside the program first: a planted
// shcore.dll ran its code in every start (Wine, and Windows before 8.1,
// where it is no known library).

#include <windows.h>

namespace tavro::win32 {

// First thing in every program of ours, before any call of SystemCalls.h:
// every library loaded from now on, and the libraries it imports, comes
// from the system folder (SetDefaultDllDirectories). Where the system lacks
// that (Windows 7 without its update of 2011), the working folder at least
// is dropped from the search, and LoadSystemLibrary loads by full path.
void LoadLibrariesFromSystemFolderOnly();

// The system folder's library ("shell32.dll"), its own imports looked for
// there too; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace tavro::win32
