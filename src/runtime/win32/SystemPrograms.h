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
// The system's taskkill of the system's own width: a 32-bit program on a
// 64-bit system is given the 32-bit one from the system folder, which does
// not see 64-bit processes under Wine, so it takes the one that folder's
// Sysnative name leads to; elsewhere the system folder's.
std::string TaskkillProgram();

}  // namespace tavro::win32
