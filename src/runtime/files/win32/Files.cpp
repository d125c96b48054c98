// The file operations that differ on Windows: what is under a name (its own
// attributes, a reparse point counting as a link), reading an ordinary file
// through a handle that must be a file on disk, and writing by a new file
// moved over the name.
#include "runtime/Files.h"

#include <algorithm>
#include <limits>
#include <functional>
#include <string_view>

#include "runtime/OpenedFile.h"
#include "runtime/Text.h"
#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/Wide.h"

namespace tavro {

namespace {

using win32::UniqueKernelHandle;
using win32::Wide;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

RuntimeError SystemError(int number, const char* what, DWORD error) {
  return FileError(number, what, win32::SystemMessage(error));
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

// The full path as the system makes it of a name (GetFullPathNameW, which
// also takes trailing dots and blanks off the last name); the name as given
// when it cannot.
std::wstring FullPath(const std::wstring& wide) {
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0)
    return wide;
  std::wstring full(size, L'\0');
  const DWORD len = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (len == 0 || len >= size)
    return wide;
  full.resize(len);
  return full;
}

// The wide path the calls are given: beyond the length the plain calls take
// (MAX_PATH, less room for a file name where a folder is made), the full path
// behind the \\?\ prefix, which lifts that limit. The prefix stays here:
// what the user sees and the emulator is given is the path as it stands.
std::wstring LongWide(const std::string& path) {
  std::wstring wide = Wide(RefuseNul(path));
  if (wide.size() < MAX_PATH - 12 || wide.starts_with(LR"(\\?\)") || wide.starts_with(LR"(\\.\)"))
    return wide;
  const std::wstring full = FullPath(wide);
  if (full.starts_with(LR"(\\)"))
    return LR"(\\?\UNC\)" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
    return LR"(\\?\)" + full;
  return wide;
}

// The file at path opened for reading, when it is an ordinary file on disk,
// and its size.
UniqueKernelHandle OpenOrdinary(const std::string& path, std::uint64_t& size) {
  const std::wstring wide = LongWide(path);
  // Follows a link to the file; opening never waits, not even for a pipe.
  UniqueKernelHandle handle(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr,
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
  size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return handle;
}

}  // namespace

std::string ResolvedFileName(const std::string& path) {
  if (path.find('\0') != std::string::npos)
    return path.substr(path.find_last_of("\\/") + 1);
  std::wstring name = FullPath(Wide(path));
  // The long name of the file itself, also behind an 8.3 name of a folder
  // on the way; the trailing dots are gone by now, or it would name none.
  const std::wstring wide = LongWide(win32::Utf8(name));
  const DWORD size = GetLongPathNameW(wide.c_str(), nullptr, 0);
  if (size != 0) {
    std::wstring long_name(size, L'\0');
    const DWORD len = GetLongPathNameW(wide.c_str(), long_name.data(), size);
    if (len != 0 && len < size)
      name = long_name.substr(0, len);
  }
  return win32::Utf8(name.substr(name.find_last_of(L"\\/") + 1));
}

std::string Dir(const std::string& path, int attributes) {
  if (path.empty())
    return {};
  if (path.find('\0') != std::string::npos)
    throw RuntimeError(err::kBadFileName, "Bad file name");
  // Wildcards name no one entry here.
  if (path.find_first_of("*?") != std::string::npos)
    return {};
  const Entry entry = LookAt(path);
  Entry::Type type = entry.type;
  if (type == Entry::Type::kLink) {
    // A link counts as what it points to.
    const DWORD followed = GetFileAttributesW(LongWide(path).c_str());
    const UniqueKernelHandle target(CreateFileW(LongWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                                kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target || followed == INVALID_FILE_ATTRIBUTES)
      return {};
    type = (followed & FILE_ATTRIBUTE_DIRECTORY) ? Entry::Type::kFolder : Entry::Type::kFile;
  }
  if (type == Entry::Type::kNone || type == Entry::Type::kOther)
    return {};
  if (type == Entry::Type::kFolder && (attributes & kAttrDirectory) == 0)
    return {};
  std::string name = path;
  while (name.size() > 1 && (name.back() == '\\' || name.back() == '/'))
    name.pop_back();
  const auto slash = name.find_last_of("\\/:");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

void ReadFolder(const std::string& folder, const std::string& shown,
                const std::function<void(FolderEntry&)>& visit) {
  const auto not_found = [&] {
    return NamedError(err::kPathNotFound, "Path not found", shown);
  };
  // An empty or relative text would list the working folder: never that.
  if (folder.empty() || folder.find_first_of("*?") != std::string::npos)
    throw not_found();
  std::wstring pattern = LongWide(folder);
  if (pattern.back() != L'\\' && pattern.back() != L'/')
    pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  const HANDLE find =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED)
      throw NamedError(err::kPermissionDenied, "Permission denied", shown);
    throw not_found();
  }
  struct FindCloser {
    HANDLE handle;
    ~FindCloser() { FindClose(handle); }
  } closer{find};
  FolderEntry entry;
  do {
    const std::wstring_view name(found.cFileName);
    if (name == L"." || name == L"..")
      continue;
    entry.name = win32::Utf8(name);
    DWORD attributes = found.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A link counts as what it leads to; one to nothing is neither.
      std::wstring full = pattern.substr(0, pattern.size() - 1);
      attributes = GetFileAttributesW((full + std::wstring(name)).c_str());
    }
    const bool there = attributes != INVALID_FILE_ATTRIBUTES;
    entry.folder = there && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.file = there && !entry.folder && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
    visit(entry);
  } while (FindNextFileW(find, &found));
  if (GetLastError() != ERROR_NO_MORE_FILES)
    throw not_found();
}

void MakeFolder(const std::string& path, bool taken_ok) {
  // Behind the prefix when long: a program folder deep in the tree still
  // gets its folders at the first start.
  if (CreateDirectoryW(LongWide(path).c_str(), nullptr))
    return;
  const DWORD error = GetLastError();
  if (!(taken_ok && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)))
    throw SystemError(err::kPathFileAccess, "Path/File access error", error);
}

void DeleteEntry(const std::string& path) {
  const std::wstring wide = LongWide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  // A link to a folder is removed as a folder entry, never what it holds.
  const bool folder_link = attributes != INVALID_FILE_ATTRIBUTES &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!(folder_link ? RemoveDirectoryW(wide.c_str()) : DeleteFileW(wide.c_str())))
    throw SystemError(err::kPermissionDenied, "Permission denied", GetLastError());
}

std::optional<FileStamp> StampOf(const std::string& path) {
  if (path.find('\0') != std::string::npos)
    return std::nullopt;
  const std::wstring wide = LongWide(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // A link: what it leads to, through a handle that follows it.
    const UniqueKernelHandle target(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                                nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!target || !GetFileInformationByHandle(target.get(), &info))
      return std::nullopt;
    data.dwFileAttributes = info.dwFileAttributes;
    data.nFileSizeHigh = info.nFileSizeHigh;
    data.nFileSizeLow = info.nFileSizeLow;
    data.ftLastWriteTime = info.ftLastWriteTime;
  }
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
    return std::nullopt;
  return FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                   static_cast<std::int64_t>(
                       (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime)};
}

Entry LookAt(const std::string& path) {
  const std::wstring wide = LongWide(path);
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
  std::uint64_t size = 0;
  const UniqueKernelHandle handle = OpenOrdinary(path, size);
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
  if (!MoveFileExW(LongWide(from).c_str(), LongWide(to).c_str(), MOVEFILE_REPLACE_EXISTING))
    throw SystemError(err::kPathFileAccess, "Path/File access error", GetLastError());
}

void ReplaceByName(const std::string& path, std::string_view bytes) {
  const std::wstring temp = LongWide(TempNameBeside(path));
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
  if (error == 0 && !MoveFileExW(temp.c_str(), LongWide(path).c_str(), MOVEFILE_REPLACE_EXISTING))
    error = GetLastError();
  if (error != 0) {
    DeleteFileW(temp.c_str());
    throw SystemError(error == ERROR_ACCESS_DENIED ? err::kPermissionDenied : err::kPathFileAccess,
                      "Path/File access error", error);
  }
}

OpenedFile::OpenedFile(const std::string& path) {
  std::uint64_t size = 0;
  handle_ = OpenOrdinary(path, size).release();
  size_ = size;
}

OpenedFile::~OpenedFile() {
  if (handle_ != nullptr)
    CloseHandle(handle_);
}

std::string OpenedFile::ReadAt(std::uint64_t offset, std::size_t count) const {
  if (offset > size_ || count > size_ - offset)
    throw RuntimeError(err::kBadFileMode, "Bad file mode");
  std::string bytes(count, '\0');
  std::size_t have = 0;
  while (have < count) {
    // The position goes with each read, so reads never depend on another's.
    const std::uint64_t at = offset + have;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want =
        static_cast<DWORD>(std::min<std::size_t>(count - have, std::numeric_limits<DWORD>::max()));
    DWORD got = 0;
    if (!::ReadFile(handle_, bytes.data() + have, want, &got, &where) || got == 0)
      throw RuntimeError(err::kBadFileMode, "Bad file mode");
    have += got;
  }
  return bytes;
}

}  // namespace tavro
