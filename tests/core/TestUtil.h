#pragma once
// Small helpers for tests that look at files byte for byte.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/Files.h"

namespace tavro::test {

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline void MakeReadOnly(const std::filesystem::path& p) {
  std::filesystem::permissions(p,
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
}

}  // namespace tavro::test
