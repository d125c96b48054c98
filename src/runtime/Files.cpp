#include "runtime/Files.h"

#include <fstream>

namespace tavro {

namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

RuntimeError FileError(int number, const std::string& what, const std::error_code& ec) {
  return RuntimeError(number, what + (ec ? ": " + ec.message() : std::string()));
}

std::string Dir(const std::string& path, int attributes) {
  if (path.empty())
    return {};
  if (path.find('\0') != std::string::npos)
    throw RuntimeError(err::kBadFileName, "Bad file name");
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
  const auto not_found = [&] { return RuntimeError(err::kPathNotFound, "Path not found: " + shown); };
  const auto p = FsPath(folder);
  std::error_code ec;
  if (!fs::is_directory(p, ec))
    throw not_found();
  // A folder that cannot be read is an error, not an empty folder: callers
  // fall back from it (RpxMode's "code", the settings reset).
  fs::directory_iterator it(p, ec);
  if (ec) {
    if (ec == std::errc::permission_denied)
      throw RuntimeError(err::kPermissionDenied, "Permission denied: " + shown);
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

void MkDir(const std::string& path) {
  std::error_code ec;
  if (!fs::create_directory(FsPath(path), ec)) {
    throw FileError(err::kPathFileAccess, "Path/File access error", ec);
  }
}

// A file without write permission counts as read-only, as the read-only
// attribute does on Windows: it is neither deleted nor renamed (root's
// permission to do both anyway is not taken).
static void RefuseReadOnly(const fs::path& p) {
  std::error_code ec;
  const auto st = fs::status(p, ec);
  if (ec || !fs::is_regular_file(st))
    throw RuntimeError(err::kFileNotFound, "File not found");
  if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) {
    throw RuntimeError(err::kPermissionDenied, "Permission denied");
  }
}

void Kill(const std::string& path) {
  std::error_code ec;
  const auto p = FsPath(path);
  RefuseReadOnly(p);
  if (!fs::remove(p, ec))
    throw FileError(err::kPermissionDenied, "Permission denied", ec);
}

void Name(const std::string& from, const std::string& to) {
  std::error_code ec;
  RefuseReadOnly(FsPath(from));
  fs::rename(FsPath(from), FsPath(to), ec);
  if (ec)
    throw FileError(err::kPathFileAccess, "Path/File access error", ec);
}

void PrintToFile(const std::string& path, const std::string& text) {
  {
    // Read-only stays read-only, for root too (see RefuseReadOnly).
    std::error_code ec;
    const auto st = fs::status(FsPath(path), ec);
    if (!ec && fs::is_regular_file(st) &&
        (st.permissions() & fs::perms::owner_write) == fs::perms::none) {
      throw RuntimeError(err::kPermissionDenied, "Permission denied");
    }
  }
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  if (!out)
    throw RuntimeError(err::kPermissionDenied, "Permission denied");
  out << text << "\r\n";
  out.close();
  if (!out)
    throw RuntimeError(err::kPathFileAccess, "Path/File access error");
}

}  // namespace tavro
