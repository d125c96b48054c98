#include "window/controls/ListBoxes.h"

#include <algorithm>
#include <filesystem>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"

namespace tavro {

namespace fs = std::filesystem;

namespace {

RuntimeError PathNotFound(const std::string& path) {
  return RuntimeError(err::kPathNotFound, "Path not found: " + text::NameForBox(path));
}

bool SamePath(const std::string& a, const std::string& b) {
  return paths::kCaseInsensitive ? text::EqualsNoCase(a, b) : a == b;
}

bool Hidden(const std::string& name) {
  return paths::kDotNamesHidden && name.starts_with('.');
}

// Without regard to case; names that differ only in case keep a fixed order.
// The folded names are made once, not at every comparison: a library folder
// may hold tens of thousands of files.
void SortNoCase(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (auto& name : names)
    keyed.emplace_back(text::ToLowerAscii(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (size_t i = 0; i < names.size(); ++i)
    names[i] = std::move(keyed[i].second);
}

// The absolute, lexically normal form of a folder text, without a trailing
// separator except at a root. A bare drive ("c:") means that drive's root.
fs::path Normalise(const std::string& text) {
  std::string t = text;
  if (paths::kDriveLetters && t.size() == 2 && t[1] == ':')
    t += paths::kSep;
  std::error_code ec;
  auto p = fs::absolute(FsPath(t), ec);
  if (ec)
    throw PathNotFound(text);
  p = p.lexically_normal();
  if (p != p.root_path() && !p.has_filename())
    p = p.parent_path();
  return p;
}

// Lists the subfolders (or the matching files) of a folder, sorted; throws
// when the folder cannot be listed.
template <typename Keep>
std::vector<std::string> Names(const fs::path& folder, const std::string& shown, Keep keep) {
  std::vector<std::string> names;
  ReadFolder(Utf8(folder), shown, [&](FolderEntry& entry) {
    if (!Hidden(entry.name) && keep(entry))
      names.push_back(std::move(entry.name));
  });
  SortNoCase(names);
  return names;
}

}  // namespace

// ---- DriveListBox ----

void DriveListBox::SetDrives(std::vector<std::string> drives) {
  drives_ = std::move(drives);
  index_ = -1;
  Notify(Property::kList);
}

int DriveListBox::Find(const std::string& drive) const {
  for (size_t i = 0; i < drives_.size(); ++i) {
    const bool same =
        paths::kDriveLetters ? text::EqualsNoCase(drives_[i], drive) : drives_[i] == drive;
    if (same)
      return static_cast<int>(i);
  }
  return -1;
}

std::string DriveListBox::Drive() const {
  return index_ < 0 ? std::string() : drives_[index_];
}

void DriveListBox::SelectInitial(const std::string& drive) {
  index_ = Find(drive);
  Notify(Property::kDrive);
}

void DriveListBox::SetDrive(const std::string& drive) {
  const int found = Find(drive);
  if (found < 0)
    throw RuntimeError(err::kDeviceUnavailable, "Device unavailable: " + drive);
  if (found == index_)
    return;
  index_ = found;
  Notify(Property::kDrive);
  if (Change)
    Change();
}

void DriveListBox::Pick(int index) {
  if (index < 0 || index >= static_cast<int>(drives_.size()))
    throw RuntimeError(380, "Invalid property value");
  // A copy: the change may refresh the list the text lives in.
  const std::string drive = drives_[static_cast<size_t>(index)];
  SetDrive(drive);
}

void DriveListBox::Refresh(std::vector<std::string> drives) {
  const std::string selected = Drive();
  drives_ = std::move(drives);
  if (!selected.empty() && Find(selected) < 0)
    drives_.push_back(selected);
  index_ = Find(selected);
  Notify(Property::kList);
}

// ---- DirListBox ----

void DirListBox::Open(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size()))
    throw RuntimeError(380, "Invalid property value");
  const std::string path = entries_[static_cast<size_t>(index)].path;
  SetPath(path);
}

void DirListBox::SetPath(const std::string& path) {
  if (path.empty())
    throw PathNotFound(path);
  const fs::path folder = Normalise(path);
  const std::string shown = Utf8(folder);
  auto subfolders = Names(folder, path, [](const FolderEntry& e) { return e.folder; });
  if (SamePath(shown, path_))
    return;

  std::vector<Entry> entries;
  fs::path walk;
  int depth = 0;
  for (const auto& part : folder) {
    walk /= part;
    // On Windows the root name ("C:") and root directory ("\") come apart.
    if (walk == folder.root_name())
      continue;
    entries.push_back({Utf8(walk == folder.root_path() ? walk : part), Utf8(walk), depth++});
  }
  if (entries.empty())
    entries.push_back({shown, shown, depth++});
  const int current = static_cast<int>(entries.size()) - 1;
  for (auto& name : subfolders)
    entries.push_back({name, Utf8(folder / FsPath(name)), depth});

  path_ = shown;
  entries_ = std::move(entries);
  current_ = current;
  Notify(Property::kPath);
  if (Change)
    Change();
}

// ---- FileListBox ----

std::vector<std::string> FileListBox::ListFolder(const std::string& path) const {
  // The masks are taken apart once per listing, not once per file.
  const std::vector<std::string> masks = text::SplitPattern(pattern_);
  return Names(Normalise(path), path, [&masks](const FolderEntry& e) {
    return e.file && text::MatchAnyMask(e.name, masks);
  });
}

void FileListBox::SetPath(const std::string& path) {
  if (path.empty())
    throw PathNotFound(path);
  auto files = ListFolder(path);
  path_ = Utf8(Normalise(path));
  files_ = std::move(files);
  shows_rows_ = false;
  index_ = -1;
  Notify(Property::kPath);
  Notify(Property::kList);
}

void FileListBox::SetPattern(const std::string& pattern) {
  pattern_ = pattern;
  Notify(Property::kPattern);
  if (path_.empty())
    return;
  // A folder that vanished since it was listed shows as empty; the pattern
  // itself is set all the same.
  try {
    files_ = ListFolder(path_);
  } catch (const RuntimeError&) {
    files_.clear();
  }
  shows_rows_ = false;
  index_ = -1;
  Notify(Property::kList);
}

void FileListBox::SetListIndex(int index) {
  if (index < -1 || index >= static_cast<int>(files_.size())) {
    throw RuntimeError(380, "Invalid property value");
  }
  index_ = index;
  Notify(Property::kListIndex);
  if (index_ >= 0 && Click)
    Click();
}

void FileListBox::ShowRows(std::vector<std::string> shown) {
  files_ = std::move(shown);
  shows_rows_ = true;
  index_ = -1;
  Notify(Property::kList);
}

void FileListBox::ReplaceRows(std::vector<std::string> shown, int index) {
  files_ = std::move(shown);
  shows_rows_ = true;
  index_ = index >= 0 && index < static_cast<int>(files_.size()) ? index : -1;
  Notify(Property::kList);
  Notify(Property::kListIndex);
}

std::string FileListBox::FileName() const {
  return index_ < 0 ? std::string() : files_[index_];
}

}  // namespace tavro
