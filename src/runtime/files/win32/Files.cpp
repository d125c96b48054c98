// The file operations that differ on Windows: what is under a name (its own
// attributes, a reparse point counting as a link), reading an ordinary file
// through a handle that must be a file on disk, and writing by a new file
// moved over the name.
#include "runtime/Files.h"

#include <algorithm>

#include "runtime/Text.h"
#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/Wide.h"

namespace tavro {

namespace {

using win32::UniqueKernelHandle;
using win32::Wide;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

RuntimeError SystemError(int number, const char* what, DWORD error) {
  return RuntimeError(number, std::string(what) + ": " + win32::SystemMessage(error));
}

RuntimeError NotOrdinary(const std::string& path) {
  return RuntimeError(err::kBadFileMode, "Bad file mode: " + text::NameForBox(path));
}

bool NotThere(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME ||
         error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_DIRECTORY;
}

RuntimeError OpenError(DWORD error) {
  if (NotThere(error))
    return SystemError(err::kFileNotFound, "File not found", error);
  if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
      error == ERROR_LOCK_VIOLATION) {
    return SystemError(err::kPermissionDenied, "Permission denied", error);
  }
  return SystemError(err::kPathFileAccess, "Path/File access error", error);
}

Entry FromAttributes(DWORD attributes, FILETIME written) {
  Entry entry;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    entry.type = Entry::Type::kLink;
  else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    entry.type = Entry::Type::kFolder;
  else if (attributes & FILE_ATTRIBUTE_DEVICE)
    entry.type = Entry::Type::kOther;
  else
    entry.type = Entry::Type::kFile;
  entry.read_only = entry.type == Entry::Type::kFile && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  entry.modified = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
  return entry;
}

}  // namespace

Entry LookAt(const std::string& path) {
  const std::wstring wide = Wide(RefuseNul(path));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
    return FromAttributes(data.dwFileAttributes, data.ftLastWriteTime);
  const DWORD error = GetLastError();
  if (NotThere(error))
    return {};
  // Wine answers so for a FIFO or a device in its drives, which it still
  // opens: the handle, opened for its attributes alone, tells what it is.
  const UniqueKernelHandle handle(
      CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle)
    throw SystemError(err::kPathFileAccess, "Path/File access error", error);
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
    Entry other;
    other.type = Entry::Type::kOther;
    return other;
  }
  if (!GetFileInformationByHandle(handle.get(), &info))
    throw SystemError(err::kPathFileAccess, "Path/File access error", GetLastError());
  return FromAttributes(info.dwFileAttributes, info.ftLastWriteTime);
}

std::string ReadOrdinaryFile(const std::string& path, std::size_t max_bytes) {
  const std::wstring wide = Wide(RefuseNul(path));
  // Follows a link to the file; opening never waits, not even for a pipe.
  const UniqueKernelHandle handle(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      throw NotOrdinary(path);  // a folder is refused as "access denied"
    }
    throw OpenError(error);
  }
  // A pipe, a console or a character device (what a FIFO or /dev/zero in
  // Wine's drives opens as) is never read.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle.get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw NotOrdinary(path);
  }
  const std::uint64_t size =
      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > max_bytes)
    throw NotOrdinary(path);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t have = 0;
  for (;;) {
    // One byte more than the cap is room enough to see a file that grew.
    if (have == bytes.size())
      bytes.resize(std::min(max_bytes + 1, have + 4096));
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - have, 1u << 30));
    if (!::ReadFile(handle.get(), bytes.data() + have, want, &got, nullptr))
      throw SystemError(err::kPathFileAccess, "Path/File access error", GetLastError());
    if (got == 0)
      break;
    have += got;
    if (have > max_bytes)
      throw NotOrdinary(path);
  }
  bytes.resize(have);
  return bytes;
}

void RenameEntry(const std::string& from, const std::string& to) {
  // Not std::filesystem::rename: it first asks for what is under from, which
  // Wine cannot tell for a FIFO or a device.
  if (!MoveFileExW(Wide(RefuseNul(from)).c_str(), Wide(RefuseNul(to)).c_str(),
                   MOVEFILE_REPLACE_EXISTING))
    throw SystemError(err::kPathFileAccess, "Path/File access error", GetLastError());
}

void ReplaceByName(const std::string& path, std::string_view bytes) {
  const std::wstring temp = Wide(TempNameBeside(RefuseNul(path)));
  DWORD error = 0;
  {
    // CREATE_NEW: a new file of our own, never anything already there.
    const UniqueKernelHandle handle(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
      throw OpenError(GetLastError());
    for (std::size_t done = 0; done < bytes.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      if (!WriteFile(handle.get(), bytes.data() + done, chunk, &written, nullptr)) {
        error = GetLastError();
        break;
      }
      done += written;
    }
  }
  // The move replaces the name itself: a link there is replaced, and what it
  // pointed to stays as it was.
  if (error == 0 && !MoveFileExW(temp.c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING))
    error = GetLastError();
  if (error != 0) {
    DeleteFileW(temp.c_str());
    throw SystemError(error == ERROR_ACCESS_DENIED ? err::kPermissionDenied : err::kPathFileAccess,
                      "Path/File access error", error);
  }
}

}  // namespace tavro
