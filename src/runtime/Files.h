#pragma once
// File operations, the same calls on both platforms: plain functions on UTF-8
// paths (char8_t inside, so Windows gets the wide path and nothing passes
// through an ANSI code page). Where the platforms differ, each has its own
// source file beside this one's portable part.

#include <filesystem>
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
