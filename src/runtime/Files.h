#pragma once
// File operations, the same calls on both platforms: plain functions on UTF-8
// paths (char8_t inside, so Windows gets the wide path and nothing passes
// through an ANSI code page). Where the platforms differ, each has its own
// source file beside this one's portable part.

#include <filesystem>
#include <functional>
#include <string>

#include "runtime/Runtime.h"

namespace tavro {

std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

// A RuntimeError for a failed file-system call, keeping the OS's reason.
RuntimeError FileError(int number, const std::string& what, const std::error_code& ec);

// Attribute masks of the directory listing.
constexpr int kAttrNormal = 0;
constexpr int kAttrDirectory = 16;

// The name of the entry at path when it matches the mask (0: ordinary files,
// 16: folders too), else "". Throws RuntimeError when the path cannot be
// looked at (no access).
std::string Dir(const std::string& path, int attributes);
// One entry of a folder: its name and what it leads to (a link counts as
// what it points at; a link that points nowhere, a FIFO or a device is
// neither).
struct FolderEntry {
  std::string name;
  bool folder = false;
  bool file = false;
};
// Hands each entry of a folder to visit, in the order the system gives them.
// Throws RuntimeError naming shown: 76 when it is no folder or cannot be
// read to the end, 70 when there is no permission to read it.
void ReadFolder(const std::string& folder, const std::string& shown,
                const std::function<void(FolderEntry&)>& visit);

// Makes one folder; throws RuntimeError when it cannot (already there too).
void MkDir(const std::string& path);
// Deletes a file; a read-only file is refused.
void Kill(const std::string& path);
// Renames a file, replacing the target when it exists; a read-only file is
// refused.
void Name(const std::string& from, const std::string& to);
// Creates or empties the file and writes text plus CR LF. A file without
// write permission (read-only) is refused, for root too.
void PrintToFile(const std::string& path, const std::string& text);

}  // namespace tavro
