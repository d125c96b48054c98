#pragma once
// File operations, the same calls on both platforms: plain functions on UTF-8
// paths (char8_t inside, so Windows gets the wide path and nothing passes
// through an ANSI code page). Where the platforms differ, each has its own
// source file (runtime/files/posix/Files.cpp, runtime/files/win32/Files.cpp) beside this
// one's portable part.
//
// Every file the program reads or writes by name goes through here, and the
// folder it works in may hold anything: a FIFO or a device (opening one for
// reading can wait for ever, reading one may never end), a folder, a link to
// nothing or to a file elsewhere. So a file is read only when the opened file
// is an ordinary one, and written only by replacing the name, never through
// a link.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/Runtime.h"

namespace tavro {

namespace err {
// The entry is no ordinary file, or far larger than any file of its kind.
constexpr int kBadFileMode = 54;
}  // namespace err

// A path as the file system takes it. A path holding a NUL character is
// refused with RuntimeError err::kBadFileName: the system would read it only
// up to the NUL, a name other than the one given. Every call below refuses
// one the same way.
std::filesystem::path FsPath(const std::string& utf8);
// Throws that RuntimeError when path holds a NUL, else gives path.
const std::string& RefuseNul(const std::string& path);
std::string Utf8(const std::filesystem::path& path);

// A RuntimeError for a failed file-system call, keeping the OS's reason.
RuntimeError FileError(int number, const std::string& what, const std::error_code& ec);
// The same with the system's reason given as text (each platform's half
// turns its own error codes into it).
RuntimeError FileError(int number, const std::string& what, const std::string& reason);
// A RuntimeError naming the file or folder it is about, as a box shows it.
RuntimeError NamedError(int number, const char* what, const std::string& shown);
// A name that holds no ordinary file (or one over the size asked for) where
// a file was to be read.
RuntimeError NotOrdinary(const std::string& path);

// Attribute masks of the directory listing.
constexpr int kAttrNormal = 0;
constexpr int kAttrDirectory = 16;

// The name of the entry at path when it matches the mask (0: ordinary files,
// 16: folders too), else "". A link counts as what it points to. Throws
// RuntimeError when the path cannot be looked at (no access).
std::string Dir(const std::string& path, int attributes);

// What is under a name itself: a link is a link, whatever it points to.
struct Entry {
  enum class Type { kNone, kFile, kFolder, kLink, kOther };
  Type type = Type::kNone;
  bool read_only = false;     // a file its owner may not write (Windows: read-only)
  std::int64_t modified = 0;  // last write; only compared with other entries
};
// Throws RuntimeError when the name cannot be looked at (no access to a
// folder on the way).
Entry LookAt(const std::string& path);
// True when anything at all is under the name (a link to nothing too).
bool Exists(const std::string& path);
// The file name part of path as the system resolves the name to a file, the
// name a program started from it runs under. Windows takes trailing dots and
// blanks off the last name and reads an 8.3 short name as the file's long
// one; elsewhere a name is the file's own. Where no file is there, the name
// as given, less what Windows takes off.
std::string ResolvedFileName(const std::string& path);
// The size and last write of the ordinary file a name leads to (a link
// followed): what a memo of the file's contents is kept by. None for
// anything else and for what cannot be looked at. One look at the file
// system, as a listing of many games asks it for each.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::string& path);
// One entry of a folder: its name and what it leads to (a link counts as
// what it points at; a link that points nowhere, a FIFO or a device is
// neither).
struct FolderEntry {
  std::string name;
  bool folder = false;
  bool file = false;
};
// Hands each entry of a folder to visit, in the order the system gives them.
// Throws RuntimeError naming shown: 76 when it is no folder or cannot be
// read to the end, 70 when there is no permission to read it.
void ReadFolder(const std::string& folder, const std::string& shown,
                const std::function<void(FolderEntry&)>& visit);

// Makes the folder unless something is under its name already, whatever it
// is: a file, a link to a disk that is not mounted, or an entry the system
// does not show (Wine shows no link to nothing). Throws RuntimeError when a
// free name cannot take the folder.
void MkDirUnlessTaken(const std::string& path);
// Makes one folder; throws RuntimeError when it cannot, a name already taken
// too unless taken_ok.
void MakeFolder(const std::string& path, bool taken_ok);
// Deletes a file or a link (never a folder); a read-only file is refused.
void Kill(const std::string& path);
// Renames whatever is under from (a link itself, never what it points to),
// replacing a file under to; a read-only file is refused.
void Name(const std::string& from, const std::string& to);
// The delete under Kill, without its check.
void DeleteEntry(const std::string& path);
// The rename under Name, without its check: the entry itself, whatever it is.
void RenameEntry(const std::string& from, const std::string& to);
// Writes text plus CR LF as the whole file, replacing it by name (see
// ReplaceByName). A read-only file is refused, for root too, and so is a
// name that holds no file or link (a folder, a FIFO, a device).
void PrintToFile(const std::string& path, const std::string& text);

// The whole of an ordinary file, following a link to one. The file is opened
// without waiting and read only when the opened file itself is an ordinary
// file on disk (no check of the name that the file could change behind);
// anything else, or a file larger than max_bytes, throws RuntimeError
// err::kBadFileMode. A missing file throws err::kFileNotFound, one that may
// not be read err::kPermissionDenied.
std::string ReadOrdinaryFile(const std::string& path, std::size_t max_bytes);
// A picture file (a cover) for the picture loaders, read as above; anything
// that is not an ordinary file of at most 64 MiB throws err::kFileNotFound.
// The loaders decode from these bytes, so what is decoded is what was read.
std::string ReadPictureFile(const std::string& path);
// Makes bytes the file under path: written to a new file beside it and
// renamed over the name, so a failed write leaves the old file whole and a
// link under the name is replaced, never written through. Throws
// RuntimeError; nothing of the new file is left behind.
void ReplaceByName(const std::string& path, std::string_view bytes);
// A name beside file that no other writer, in this process or another,
// picks at the same moment.
std::string TempNameBeside(const std::string& file);

}  // namespace tavro
