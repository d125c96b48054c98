#include "runtime/Files.h"

#include <atomic>
#include <random>

#include "runtime/Text.h"

namespace tavro {

namespace fs = std::filesystem;

const std::string& RefuseNul(const std::string& path) {
  if (path.find('\0') != std::string::npos)
    throw RuntimeError(err::kBadFileName, "Bad file name");
  return path;
}

fs::path FsPath(const std::string& utf8) {
  RefuseNul(utf8);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

RuntimeError FileError(int number, const std::string& what, const std::error_code& ec) {
  return ec ? FileError(number, what, ec.message()) : RuntimeError(number, what);
}

RuntimeError FileError(int number, const std::string& what, const std::string& reason) {
  return RuntimeError(number, what + ": " + reason);
}

RuntimeError NamedError(int number, const char* what, const std::string& shown) {
  return RuntimeError(number, std::string(what) + ": " + text::NameForBox(shown));
}

RuntimeError NotOrdinary(const std::string& path) {
  return NamedError(err::kBadFileMode, "Bad file mode", path);
}

bool Exists(const std::string& path) {
  return LookAt(path).type != Entry::Type::kNone;
}

void MkDirUnlessTaken(const std::string& path) {
  if (Exists(path))
    return;
  // The system refuses a name that is taken even where it shows nothing
  // under it: that is as good as present.
  MakeFolder(path, true);
}

// A file without write permission counts as read-only, as the read-only
// attribute does on Windows: it is neither deleted, renamed nor rewritten
// (root's permission to do all that anyway is not taken). The entry under
// the name is what counts: a link is handled as itself.
static Entry RefuseReadOnly(const std::string& path) {
  const Entry entry = LookAt(path);
  if (entry.type == Entry::Type::kNone)
    throw RuntimeError(err::kFileNotFound, "File not found");
  if (entry.type == Entry::Type::kFile && entry.read_only)
    throw RuntimeError(err::kPermissionDenied, "Permission denied");
  return entry;
}

void Kill(const std::string& path) {
  if (RefuseReadOnly(path).type == Entry::Type::kFolder)
    throw RuntimeError(err::kPathFileAccess, "Path/File access error");
  DeleteEntry(path);
}

void Name(const std::string& from, const std::string& to) {
  RefuseReadOnly(from);
  RenameEntry(from, to);
}

void PrintToFile(const std::string& path, const std::string& text) {
  const Entry entry = LookAt(path);
  if (entry.type == Entry::Type::kFile && entry.read_only)
    throw RuntimeError(err::kPermissionDenied, "Permission denied");
  // A folder, a FIFO or a device under the name is the user's, not an older
  // page: it stays.
  if (entry.type == Entry::Type::kFolder || entry.type == Entry::Type::kOther)
    throw RuntimeError(err::kPathFileAccess, "Path/File access error");
  ReplaceByName(path, text + "\r\n");
}

std::string ReadPictureFile(const std::string& path) {
  // Far beyond any cover; the loaders' own limits on the picture's size
  // apply after.
  constexpr std::size_t kMaxPictureFileBytes = std::size_t{64} << 20;
  try {
    return ReadOrdinaryFile(path, kMaxPictureFileBytes);
  } catch (const RuntimeError& e) {
    throw RuntimeError(err::kFileNotFound,
                       "File not found: " + text::NameForBox(path) + " (" + e.what() + ")");
  }
}

std::string TempNameBeside(const std::string& file) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return file + ".tmp-" + std::to_string(random()) + "-" + std::to_string(++counter);
}

}  // namespace tavro
