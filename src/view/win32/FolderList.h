#pragma once
// The folder list drawn as the classic folder list box draws it: each entry
// indented by its depth behind a folder icon, open for the folder shown and
// its ancestors, closed for its subfolders. The list box is owner-drawn and
// keeps the names as its strings, so selection, type-ahead and screen
// readers work on the names alone.

#include <windows.h>

#include "window/controls/ListBoxes.h"
#include "view/win32/Handles.h"

namespace tavro::win32ui {

// The system's folder icons at one DPI's small-icon size.
class FolderIcons final {
 public:
  // Loads both icons for the DPI (again only when it changed).
  void Load(UINT dpi);
  UINT Dpi() const { return dpi_; }
  int Size() const { return size_; }
  HICON Open() const { return open_.get(); }
  HICON Closed() const { return closed_.get(); }

 private:
  UINT dpi_ = 0;
  int size_ = 0;
  UniqueIcon open_;
  UniqueIcon closed_;
};

// Where an entry of the given depth draws its icon and its name, from the
// item's left edge, at a DPI.
int FolderIconLeft(int depth, UINT dpi);
int FolderTextLeft(int depth, UINT dpi);

// The height of one entry: the icon or a line of the list's font, whichever
// is taller.
int FolderItemHeight(HFONT font, UINT dpi);

// Draws the entry the list asks for (WM_DRAWITEM), in the control's colours
// (highlight colours when selected) with a focus rectangle when the list
// shows one.
void DrawFolderItem(const DRAWITEMSTRUCT& item, const DirListBox& model, const FolderIcons& icons,
                    UINT dpi);

}  // namespace tavro::win32ui
