#include "runtime/OpenedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/Files.h"
#include "runtime/posix/OwnedFd.h"

namespace tavro {

OpenedFile::OpenedFile(const std::string& path) {
  // A name the folder shows as a device is never opened (opening some does
  // something by itself); a FIFO opens at once without waiting.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw RuntimeError(err::kBadFileMode, "Bad file mode: " + path);
  OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
      throw RuntimeError(err::kFileNotFound, "File not found: " + path);
    if (error == EACCES || error == EPERM)
      throw RuntimeError(err::kPermissionDenied, "Permission denied: " + path);
    throw RuntimeError(err::kBadFileMode, "Bad file mode: " + path);
  }
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
    throw RuntimeError(err::kBadFileMode, "Bad file mode: " + path);
  size_ = static_cast<std::uint64_t>(st.st_size);
  fd_ = fd.release();
}

OpenedFile::~OpenedFile() {
  if (fd_ >= 0)
    ::close(fd_);
}

std::string OpenedFile::ReadAt(std::uint64_t offset, std::size_t count) const {
  if (offset > size_ || count > size_ - offset)
    throw RuntimeError(err::kBadFileMode, "Bad file mode");
  std::string bytes(count, '\0');
  std::size_t have = 0;
  while (have < count) {
    const ssize_t n =
        ::pread(fd_, bytes.data() + have, count - have, static_cast<off_t>(offset + have));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      throw RuntimeError(err::kBadFileMode, "Bad file mode");
    have += static_cast<std::size_t>(n);
  }
  return bytes;
}

}  // namespace tavro
