#pragma once
// An ordinary file held open, for a reader that must open it again by name
// itself (a library that takes only a path): it is opened and checked as the
// safe read checks (runtime/Files.h), and the library is then handed a name
// that leads to this very opened file, never the name the folder shows,
// which could be changed behind the check. Linux only: the one such reader
// (.wua archives) is built there alone.

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
  // A name that opens this opened file again (/proc/self/fd/N).
  std::string ReopenName() const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace tavro
