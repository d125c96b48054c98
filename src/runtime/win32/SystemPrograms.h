#pragma once
// The system's own programs the launcher starts (taskkill, Explorer, the
// command interpreter), by their full path in the system's folders. Started
// by name, the search would look in the program's folder and the working
// folder first, where anyone able to drop a file there gets it run.

#include <string>

namespace tavro::win32 {

// GetSystemDirectoryW + "\" + name, in UTF-8 ("" when the folder is unknown).
std::string SystemFolderProgram(const wchar_t* name);
// GetWindowsDirectoryW + "\" + name, in UTF-8 ("" when the folder is unknown).
std::string WindowsFolderProgram(const wchar_t* name);

}  // namespace tavro::win32
