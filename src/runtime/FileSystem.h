#pragma once
// File-system services shared by both platforms: std::filesystem with UTF-8
// paths (char8_t, so Windows gets the wide path and nothing passes through an
// ANSI code page).

#include <filesystem>
#include <string>

#include "runtime/Runtime.h"

namespace tavro {

std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

// A RuntimeError for a failed file-system call, keeping the OS's reason.
RuntimeError FileError(int number, const std::string& what, const std::error_code& ec);

// The directory listing, make folder, delete, rename and text output of the
// services, for both platforms and for the tests' fake.
class FileSystemServices : public Services {
 public:
  std::string Dir(const std::string& path, int attributes) override;
  void MkDir(const std::string& path) override;
  void Kill(const std::string& path) override;
  void Name(const std::string& from, const std::string& to) override;
  void PrintToFile(const std::string& path, const std::string& text) override;
};

}  // namespace tavro
