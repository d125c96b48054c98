// The view following the models: every property change reaches the native
// control at once, so what a modal message box covers is already current;
// the file list drawn in columns once the settings ask for the records.

#include "view/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "view/win32/Wide.h"
#include "view/win32/Win32Picture.h"
#include "view/win32/Win32UiServices.h"
#include "window/Layout.h"
#include "window/ViewContract.h"

namespace tavro::win32ui {

namespace {

void SetListBox(HWND list, const std::vector<std::wstring>& items, int selected) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const auto& item : items) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

void MainWindow::InstallHooks() {
  for (auto& c : controls_) {
    if (c.model == nullptr)
      continue;
    NativeControl* control = &c;
    c.model->PropertyChanged = [this, control](Property property) {
      if (Window() != nullptr)
        Sync(*control, property);
    };
  }
}

void MainWindow::SyncAll(NativeControl& control) {
  switch (control.model->Kind()) {
    case ControlKind::kFrame:
    case ControlKind::kLabel:
    case ControlKind::kCommandButton:
      Sync(control, Property::kCaption);
      break;
    case ControlKind::kTextBox:
      Sync(control, Property::kText);
      break;
    case ControlKind::kOptionButton:
      Sync(control, Property::kValue);
      break;
    case ControlKind::kPictureBox:
    case ControlKind::kImage:
      Sync(control, Property::kPicture);
      break;
    case ControlKind::kFileListBox:
    case ControlKind::kDirListBox:
    case ControlKind::kDriveListBox:
      SyncList(control);
      break;
    case ControlKind::kTimer:
      ArmTimer(control);
      break;
  }
}

void MainWindow::Sync(NativeControl& control, Property property) {
  Control& model = *control.model;
  switch (property) {
    case Property::kCaption:
      // An option button's window text is its accessible name (see
      // CreateControl); its caption never shows.
      if (control.window != nullptr && model.Kind() != ControlKind::kOptionButton) {
        SetWindowTextW(control.window,
                       Widen(static_cast<CaptionControl&>(model).Caption()).c_str());
      }
      break;
    case Property::kText:
      if (control.window != nullptr) {
        SetWindowTextW(control.window, Widen(static_cast<TextBox&>(model).Text()).c_str());
      }
      break;
    case Property::kValue:
      if (model.Kind() == ControlKind::kOptionButton) {
        SendMessageW(control.window, BM_SETCHECK,
                     static_cast<OptionButton&>(model).Value() ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      break;
    case Property::kBackColor:
      // A frame's colour shows behind the labels it holds: repaint them all.
      RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case Property::kPicture:
      if (control.picture) {
        if (model.Kind() == ControlKind::kImage) {
          auto& image = static_cast<Image&>(model);
          control.picture->SetPicture(
              image.Picture(), image.Stretch() ? PictureFit::kStretch : PictureFit::kOwnSize);
        } else {
          // A cover of any size, and the logo at any DPI, fill the box as
          // far as their shape allows.
          control.picture->SetPicture(static_cast<PictureBox&>(model).Picture(),
                                      PictureFit::kFitCentred);
        }
      } else if (model.Kind() == ControlKind::kImage && control.window != nullptr) {
        // The donation button draws the model's picture itself.
        InvalidateRect(control.window, nullptr, TRUE);
      }
      break;
    case Property::kMousePointer:
    case Property::kMouseIcon:
      RefreshCursor(control);
      break;
    case Property::kListIndex:
      // A new selection in the same files: only the highlight moves. Filled
      // anew, the list would repaint every row at each step of a held key.
      if (model.Kind() == ControlKind::kFileListBox) {
        SyncFileSelection(control);
        break;
      }
      SyncList(control);
      break;
    case Property::kPath:
    case Property::kPattern:
    case Property::kList:
    case Property::kDrive:
      SyncList(control);
      break;
    case Property::kEnabled:
      ArmTimer(control);
      break;
  }
}

bool MainWindow::FileListDrawn(const NativeControl& control) const {
  return control.model->Kind() == ControlKind::kFileListBox && control.window != nullptr &&
         (GetWindowLongW(control.window, GWL_STYLE) & LBS_OWNERDRAWFIXED) != 0;
}

void MainWindow::ShowRecordColumns() {
  const auto files = std::find_if(controls_.begin(), controls_.end(), [](const NativeControl& c) {
    return c.model->Kind() == ControlKind::kFileListBox;
  });
  // Made once the settings are read, which is after the window: a list box
  // takes owner drawing only as it is made. Lists without the key stay the
  // system's own.
  if (files == controls_.end() || files->window == nullptr || FileListDrawn(*files))
    return;
  NativeControl& c = *files;
  const HWND old = c.window;
  const bool focused = GetFocus() == old;
  const auto style =
      static_cast<DWORD>(GetWindowLongW(old, GWL_STYLE)) | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  const auto ex_style = static_cast<DWORD>(GetWindowLongW(old, GWL_EXSTYLE));
  UniqueWindow before(c.common.release());
  c.window = CreateCommon(c, L"LISTBOX", style, ex_style);
  if (c.window == nullptr) {
    // The system's list stays, rows and all: the text still holds the times.
    c.common = std::move(before);
    c.window = old;
    return;
  }
  // Where the old list lay: the tab order follows the z-order.
  SetWindowPos(c.window, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  before.reset();
  SendMessageW(c.window, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_.get()), FALSE);
  SendMessageW(c.window, LB_SETITEMHEIGHT, 0, GameRowHeight(list_font_.get()));
  c.clipped = false;
  Layout(dpi_);
  SyncAll(c);
  if (lists_named_)
    names_.Name(c.window, Widen(AccessibleName(c.model->Design())));
  if (focused)
    SetFocus(c.window);
}

void MainWindow::SyncFileSelection(NativeControl& control) {
  const int index = static_cast<FileListBox&>(*control.model).ListIndex();
  if (SendMessageW(control.window, LB_GETCURSEL, 0, 0) != index)
    SendMessageW(control.window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void MainWindow::SyncList(NativeControl& control) {
  if (control.window == nullptr)
    return;
  switch (control.model->Kind()) {
    case ControlKind::kFileListBox: {
      const auto& files = static_cast<FileListBox&>(*control.model);
      if (FileListDrawn(control))
        file_columns_ = MeasureGameRowColumns(files, list_font_.get());
      std::vector<std::wstring> items;
      for (const auto& name : files.List())
        items.push_back(Widen(name));
      SetListBox(control.window, items, files.ListIndex());
      break;
    }
    case ControlKind::kDirListBox: {
      const auto& dirs = static_cast<DirListBox&>(*control.model);
      std::vector<std::wstring> items;
      // The names alone: the indent and the icons are drawn (FolderList).
      for (const auto& entry : dirs.List())
        items.push_back(Widen(entry.name));
      SetListBox(control.window, items, dirs.ListIndex());
      break;
    }
    case ControlKind::kDriveListBox: {
      const auto& drives = static_cast<DriveListBox&>(*control.model);
      SendMessageW(control.window, CB_RESETCONTENT, 0, 0);
      for (const auto& drive : drives.List()) {
        SendMessageW(control.window, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Widen(drive).c_str()));
      }
      SendMessageW(control.window, CB_SETCURSEL, static_cast<WPARAM>(drives.ListIndex()), 0);
      break;
    }
    default:
      break;
  }
}

void MainWindow::ArmTimer(NativeControl& control) {
  if (control.model->Kind() != ControlKind::kTimer)
    return;
  const auto& timer = static_cast<Timer&>(*control.model);
  // Timers run once the window is shown: no tick reaches the form while
  // Form_Load is still bringing it up.
  if (!started_ || !timer.Running()) {
    control.timer.reset();
  } else if (!control.timer) {
    control.timer = UniqueTimer(Window(), static_cast<UINT_PTR>(kFirstControlId + control.row),
                                static_cast<UINT>(timer.Interval()));
  }
}

bool MainWindow::ApplyCustomCursor(const NativeControl& control) {
  const Control& model = *control.model;
  if (model.MousePointer() != kPointerCustom || !model.MouseIcon())
    return false;
  const auto* picture = dynamic_cast<const Win32Picture*>(model.MouseIcon().get());
  if (picture == nullptr)
    return false;
  HCURSOR cursor = nullptr;
  for (const auto& [source, made] : cursors_) {
    if (source == model.MouseIcon())
      cursor = made.get();
  }
  if (cursor == nullptr) {
    UniqueCursor made = picture->MakeCursor(POINT{view::kHandHotspot.x, view::kHandHotspot.y});
    if (!made)
      return false;
    cursor = made.get();
    // Holding the picture keeps its address from being reused by another.
    cursors_.emplace_back(model.MouseIcon(), std::move(made));
  }
  SetCursor(cursor);
  return true;
}

void MainWindow::RefreshCursor(const NativeControl& control) {
  // The pointer changes under a resting mouse too, not only on its next
  // move.
  POINT at{};
  if (control.window == nullptr || !GetCursorPos(&at) || WindowFromPoint(at) != control.window) {
    return;
  }
  if (!ApplyCustomCursor(control)) {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  }
}

void MainWindow::OpenFolderEntry(NativeControl& control) {
  const int index = static_cast<int>(SendMessageW(control.window, LB_GETCURSEL, 0, 0));
  if (index < 0)
    return;  // Enter on a list with nothing selected
  view::OpenFolder(form_, index);
  // A folder that cannot be shown leaves the list on the folder it had.
  SyncList(control);
}

void MainWindow::FireMouseMove(HWND window) {
  NativeControl* c = Find(window);
  if (c == nullptr)
    return;
  if (c->model->Kind() == ControlKind::kCommandButton) {
    view::MouseMove(form_, *static_cast<CommandButton*>(c->model));
  } else if (c->model->Kind() == ControlKind::kImage) {
    view::MouseMove(form_, *static_cast<Image*>(c->model));
  }
}

}  // namespace tavro::win32ui
