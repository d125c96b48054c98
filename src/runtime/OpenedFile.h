#pragma once
// An ordinary file held open and read in parts (a .wua archive: its footer,
// its tables, the blocks a file inside it needs): opened and checked as the
// safe read checks (runtime/Files.h), so every part comes from the one file
// that was checked, whatever the folder's name leads to meanwhile.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavro {

class OpenedFile final {
 public:
  // Throws RuntimeError as ReadOrdinaryFile does for what is no ordinary
  // file, is missing or may not be read. No size cap: only parts are read.
  explicit OpenedFile(const std::string& path);
  ~OpenedFile();
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  std::uint64_t Size() const { return size_; }
  // count bytes from offset; throws RuntimeError when they are not there.
  std::string ReadAt(std::uint64_t offset, std::size_t count) const;

 private:
#ifdef _WIN32
  void* handle_ = nullptr;  // the file's HANDLE
#else
  int fd_ = -1;
#endif
  std::uint64_t size_ = 0;
};

}  // namespace tavro
