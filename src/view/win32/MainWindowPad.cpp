// What the game controller needs of the window: whether it is in front,
// its message boxes, the focus and the folder list's highlight.

#include "view/win32/MainWindow.h"

namespace tavro::win32ui {

namespace {

// The dialog class every message box has.
bool IsDialog(HWND window) {
  wchar_t name[16] = {};
  return GetClassNameW(window, name, 16) > 0 && std::wstring_view(name) == L"#32770";
}

// A window whose program has ended, or is ending: no choice of the player's.
bool OfEndedProgram(HWND window) {
  DWORD pid = 0;
  if (!IsWindow(window) || GetWindowThreadProcessId(window, &pid) == 0)
    return true;
  const win32::UniqueKernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  DWORD code = 0;
  return process && GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

}  // namespace

void MainWindow::ComeBack() {
  HWND self = Window();
  HWND front = GetForegroundWindow();
  if (self == nullptr || LauncherActive())
    return;
  // A window the player chose since keeps the front: only an empty front,
  // or one left by an ended program, is taken.
  if (front != nullptr && !OfEndedProgram(front))
    return;
  // The focus comes back with the window (it keeps its control).
  if (!SetForegroundWindow(self)) {
    // Refused by the rules of the foreground: the taskbar button flashes
    // until the window is brought to the front.
    FLASHWINFO flash{sizeof flash, self, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
  }
}

bool MainWindow::LauncherActive() {
  // The window itself, or a window it owns (its message boxes).
  HWND front = GetForegroundWindow();
  return front != nullptr && Window() != nullptr &&
         (front == Window() || GetAncestor(front, GA_ROOTOWNER) == Window());
}

bool MainWindow::MessageBoxOpen() {
  HWND front = GetForegroundWindow();
  return front != nullptr && front != Window() && GetAncestor(front, GA_ROOTOWNER) == Window() &&
         IsDialog(front);
}

void MainWindow::CloseMessageBox() {
  // Enter presses the box's default button, its OK.
  if (MessageBoxOpen())
    SendMessageW(GetForegroundWindow(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

Control* MainWindow::FocusedControl() {
  NativeControl* c = Find(GetFocus());
  return c != nullptr ? c->model : nullptr;
}

void MainWindow::Focus(Control& control) {
  HWND window = ControlWindow(control.Id());
  if (window == nullptr)
    return;
  pad_focusing_ = true;
  SetFocus(window);
  pad_focusing_ = false;
}

void MainWindow::ShowFocus() {
  // Windows hides focus rectangles until the keyboard is used; the
  // controller counts as the keyboard. The window passes the change on to
  // every control (WM_UPDATEUISTATE).
  SendMessageW(Window(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

int MainWindow::FolderHighlight() {
  const auto index =
      static_cast<int>(SendMessageW(ControlWindow(form_.Dir1.Id()), LB_GETCURSEL, 0, 0));
  return index < 0 ? -1 : index;
}

void MainWindow::SetFolderHighlight(int row) {
  SendMessageW(ControlWindow(form_.Dir1.Id()), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

namespace {

// The list of a drop-down combo box, where its open list highlights.
HWND DropList(HWND combo) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  return combo != nullptr && GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

}  // namespace

bool MainWindow::DriveListOpen() {
  HWND combo = ControlWindow(form_.Drive1.Id());
  return combo != nullptr && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void MainWindow::OpenDriveList(bool open) {
  HWND combo = ControlWindow(form_.Drive1.Id());
  if (combo == nullptr || open == DriveListOpen())
    return;
  SendMessageW(combo, CB_SHOWDROPDOWN, open ? TRUE : FALSE, 0);
  // Closed without a choice: the box shows the drive the model has.
  if (!open) {
    if (NativeControl* c = Find(combo))
      SyncList(*c);
  }
}

int MainWindow::DriveHighlight() {
  const auto row = static_cast<int>(
      SendMessageW(DropList(ControlWindow(form_.Drive1.Id())), LB_GETCURSEL, 0, 0));
  return row < 0 ? -1 : row;
}

void MainWindow::SetDriveHighlight(int row) {
  // The open list's own highlight: no selection change reaches the combo box.
  SendMessageW(DropList(ControlWindow(form_.Drive1.Id())), LB_SETCURSEL, static_cast<WPARAM>(row),
               0);
}

void MainWindow::Later(std::function<void()> work) {
  later_.push_back(std::move(work));
  PostMessageW(Window(), kRunLater, 0, 0);
}

void MainWindow::RunLater() {
  if (later_.empty())
    return;
  // Taken out first: the work may open a message box, and the ticks under it
  // queue more.
  auto work = std::move(later_.front());
  later_.erase(later_.begin());
  work();
}

}  // namespace tavro::win32ui
