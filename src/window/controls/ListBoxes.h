#pragma once
// The drive, folder and file lists. The folder and file lists read their
// folder through the runtime's ReadFolder (UTF-8 paths, the platform's own
// listing underneath); the drive list is handed its drives by the form. They
// raise their events nested inside the assignment that caused them, and
// throw RuntimeError for what they cannot show.

#include <functional>
#include <string>
#include <vector>

#include "window/controls/Control.h"

namespace tavro {

// The drives: on Windows drive letters ("c:"), on Linux "/" and the mount
// points of real file systems.
class DriveListBox final : public Control {
 public:
  using Control::Control;

  void SetDrives(std::vector<std::string> drives);
  const std::vector<std::string>& List() const { return drives_; }
  int ListIndex() const { return index_; }

  // The selected drive's text, "" before any is selected.
  std::string Drive() const;
  // Selects the drive named (no regard to case); a different drive raises
  // Change, nested. A name that is no drive throws.
  void SetDrive(const std::string& drive);
  // Selects without raising Change: the design-time state.
  void SelectInitial(const std::string& drive);
  // The user picked the entry at index of List(): as SetDrive with its text.
  void Pick(int index);
  // A fresh reading of the drives, taken when the user opens the list. The
  // selected drive stays selected (and listed, should it have gone), and no
  // Change runs.
  void Refresh(std::vector<std::string> drives);

  std::function<void()> Change;

 private:
  int Find(const std::string& drive) const;
  std::vector<std::string> drives_;
  int index_ = -1;
};

// The folder list: the ancestors of the folder shown, the folder itself, and
// its subfolders.
class DirListBox final : public Control {
 public:
  using Control::Control;

  struct Entry {
    std::string name;  // as the view shows it ("C:\", "/", "Game")
    std::string path;  // full path
    int depth;         // indentation level
  };

  // The folder shown: absolute, without a trailing separator except at a
  // root; "" before any folder was shown.
  const std::string& Path() const { return path_; }
  // Shows the folder, or throws RuntimeError when it cannot be listed. A
  // different folder raises Change, nested; the folder shown already raises
  // nothing. A drive text ("c:") shows that drive's root.
  void SetPath(const std::string& path);

  const std::vector<Entry>& List() const { return entries_; }
  // The index of the folder shown within List().
  int ListIndex() const { return current_; }
  // The user opened the entry at index of List() (double-click or Enter):
  // as SetPath with that entry's full path, never its display text.
  void Open(int index);

  std::function<void()> Change;

 private:
  std::string path_;
  std::vector<Entry> entries_;
  int current_ = -1;
};

// The file list: the ordinary files of a folder that match the pattern,
// sorted without regard to case.
class FileListBox final : public Control {
 public:
  explicit FileListBox(const ControlDesign& design) : Control(design), pattern_(design.pattern) {}

  const std::string& Path() const { return path_; }
  // Lists the folder, or throws RuntimeError (and keeps the old list).
  void SetPath(const std::string& path);
  const std::string& Pattern() const { return pattern_; }
  // Masks separated by ";"; lists the folder anew at once.
  void SetPattern(const std::string& pattern);

  const std::vector<std::string>& List() const { return files_; }
  int ListIndex() const { return index_; }
  // Selects an entry (-1: none); a selection raises Click. The views call it
  // only for what the user selected (click, arrow keys, Space), never for
  // where the focus went.
  void SetListIndex(int index);
  // The selected file's name without folder, "" when none is selected.
  std::string FileName() const;
  // Shows other texts for the rows listed (the title view's names), one
  // per row in its new order; the selection is cleared. Until the folder
  // or the pattern is listed again, FileName() gives the shown text.
  void ShowRows(std::vector<std::string> shown);
  // New texts for the rows shown (the same rows, moved or renamed), with
  // index (-1: none) selected as it was: no Click, nothing was chosen.
  void ReplaceRows(std::vector<std::string> shown, int index);
  // Whether the rows shown are such other texts.
  bool ShowsRows() const { return shows_rows_; }

  std::function<void()> Click;

 private:
  std::vector<std::string> ListFolder(const std::string& path) const;
  std::string path_;
  std::string pattern_;
  std::vector<std::string> files_;
  int index_ = -1;
  bool shows_rows_ = false;
};

}  // namespace tavro
