// The file operations that differ on Linux: what is under a name (lstat),
// reading an ordinary file through a descriptor opened without waiting, and
// writing by a new file renamed over the name.
#include "runtime/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime/Text.h"
#include "runtime/posix/OwnedFd.h"

namespace tavro {

namespace {

RuntimeError ErrnoError(int number, const char* what, int error) {
  return FileError(number, what, std::string(std::strerror(error)));
}

RuntimeError OpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ErrnoError(err::kFileNotFound, "File not found", error);
    case EACCES:
    case EPERM:
      return ErrnoError(err::kPermissionDenied, "Permission denied", error);
    case ELOOP:  // a link to itself, or O_NOFOLLOW met a link
    case EISDIR:
    case ENXIO:  // a socket, or a device without its driver
      return ErrnoError(err::kBadFileMode, "Bad file mode", error);
    default:
      return ErrnoError(err::kPathFileAccess, "Path/File access error", error);
  }
}

}  // namespace

Entry LookAt(const std::string& path) {
  struct stat st {};
  if (::lstat(RefuseNul(path).c_str(), &st) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG)
      return {};
    throw ErrnoError(err::kPathFileAccess, "Path/File access error", error);
  }
  Entry entry;
  if (S_ISREG(st.st_mode))
    entry.type = Entry::Type::kFile;
  else if (S_ISDIR(st.st_mode))
    entry.type = Entry::Type::kFolder;
  else if (S_ISLNK(st.st_mode))
    entry.type = Entry::Type::kLink;
  else
    entry.type = Entry::Type::kOther;
  entry.read_only = entry.type == Entry::Type::kFile && (st.st_mode & S_IWUSR) == 0;
  entry.modified =
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return entry;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0 ||
      !S_ISREG(st.st_mode))
    return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 +
                       st.st_mtim.tv_nsec};
}

std::string ReadOrdinaryFile(const std::string& path, std::size_t max_bytes) {
  struct stat st {};
  // A device the name already shows as one is not even opened: opening some
  // (a tape, a modem line) does something by itself. What decides is the
  // opened file below.
  if (::stat(RefuseNul(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw NotOrdinary(path);
  // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer.
  const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0)
    throw OpenError(errno);
  if (::fstat(fd.get(), &st) != 0)
    throw ErrnoError(err::kPathFileAccess, "Path/File access error", errno);
  if (!S_ISREG(st.st_mode) || static_cast<std::uintmax_t>(st.st_size) > max_bytes)
    throw NotOrdinary(path);
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t have = 0;
  for (;;) {
    // One byte more than the cap is room enough to see a file that grew.
    if (have == bytes.size())
      bytes.resize(std::min(max_bytes + 1, have + 4096));
    const ssize_t n = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw ErrnoError(err::kPathFileAccess, "Path/File access error", errno);
    if (n == 0)
      break;
    have += static_cast<std::size_t>(n);
    if (have > max_bytes)
      throw NotOrdinary(path);
  }
  bytes.resize(have);
  return bytes;
}

void RenameEntry(const std::string& from, const std::string& to) {
  if (::rename(RefuseNul(from).c_str(), RefuseNul(to).c_str()) != 0)
    throw ErrnoError(err::kPathFileAccess, "Path/File access error", errno);
}

void ReplaceByName(const std::string& path, std::string_view bytes) {
  const std::string temp = TempNameBeside(RefuseNul(path));
  // O_EXCL with O_NOFOLLOW: a new file of our own, never anything already
  // there under that name.
  OwnedFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (fd.get() < 0)
    throw OpenError(errno);
  int error = 0;
  for (std::size_t done = 0; done < bytes.size() && error == 0;) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n >= 0)
      done += static_cast<std::size_t>(n);
    else if (errno != EINTR)
      error = errno;
  }
  // The close's own result: a network file system may report a failed write
  // only here.
  if (::close(fd.release()) != 0 && error == 0)
    error = errno;
  // rename() replaces the name itself: a link there is replaced, and what it
  // pointed to stays as it was.
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
    error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    throw ErrnoError(
        error == EACCES || error == EPERM ? err::kPermissionDenied : err::kPathFileAccess,
        "Path/File access error", error);
  }
}

namespace fs = std::filesystem;

// A name here is the file's own: nothing is taken off, and there are no
// short names.
std::string ResolvedFileName(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

std::string Dir(const std::string& path, int attributes) {
  if (path.empty())
    return {};
  std::error_code ec;
  const auto p = FsPath(path);
  const auto st = fs::status(p, ec);
  if (ec) {
    // Not there (or a parent is no folder): an empty result, as a listing of
    // nothing gives. Anything else (no access) is an error of the listing.
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory ||
        ec == std::errc::filename_too_long || ec == std::errc::invalid_argument) {
      return {};
    }
    throw FileError(err::kPathFileAccess, "Path/File access error", ec);
  }
  const bool is_dir = fs::is_directory(st);
  if (!is_dir && !fs::is_regular_file(st))
    return {};
  if (is_dir && (attributes & kAttrDirectory) == 0)
    return {};
  auto name = p.filename();
  if (name.empty())
    name = p.parent_path().filename();  // a trailing separator
  return Utf8(name);
}

void ReadFolder(const std::string& folder, const std::string& shown,
                const std::function<void(FolderEntry&)>& visit) {
  const auto not_found = [&] {
    return NamedError(err::kPathNotFound, "Path not found", shown);
  };
  const auto p = FsPath(folder);
  std::error_code ec;
  // A folder that cannot be read is an error, not an empty folder: callers
  // fall back from it (RpxMode's "code", the settings reset). No look
  // before: opening it says whether it is one (a library lists one per game).
  fs::directory_iterator it(p, ec);
  if (ec) {
    if (ec == std::errc::permission_denied)
      throw NamedError(err::kPermissionDenied, "Permission denied", shown);
    throw not_found();
  }
  FolderEntry entry;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec)
      throw not_found();
    // The type comes with the listing on most file systems: no look at the
    // entry itself unless it is a link.
    std::error_code type_ec;
    entry.name = Utf8(it->path().filename());
    entry.folder = it->is_directory(type_ec);
    entry.file = !entry.folder && it->is_regular_file(type_ec);
    visit(entry);
  }
  if (ec)
    throw not_found();
}

void MakeFolder(const std::string& path, bool taken_ok) {
  if (::mkdir(RefuseNul(path).c_str(), 0777) != 0 && !(taken_ok && errno == EEXIST))
    throw ErrnoError(err::kPathFileAccess, "Path/File access error", errno);
}

void DeleteEntry(const std::string& path) {
  std::error_code ec;
  if (!fs::remove(FsPath(path), ec))
    throw FileError(err::kPermissionDenied, "Permission denied", ec);
}

}  // namespace tavro
