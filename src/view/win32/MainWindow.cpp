#include "view/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "window/Layout.h"
#include "runtime/win32/SystemCalls.h"
#include "view/win32/ControlRows.h"
#include "view/win32/Dpi.h"
#include "view/win32/FolderList.h"
#include "view/win32/ResourceIds.h"
#include "view/win32/Wide.h"
#include "view/win32/Win32Picture.h"
#include "view/win32/Win32UiServices.h"
#include "window/ViewContract.h"

namespace tavro::win32ui {

MainWindow::MainWindow(Form1& form, Win32Roles& services, ViewOptions options)
    : form_(form), services_(services), options_(options) {}

MainWindow::~MainWindow() {
  for (auto* control : form_.Controls())
    control->PropertyChanged = nullptr;
  // The common controls go with their parent.
  for (auto& c : controls_)
    c.common.release();
  Destroy();
}

void MainWindow::Register() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TAVRO_IDI_APP), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), LR_SHARED));
  auto small = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TAVRO_IDI_APP), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  // No class brush: WM_ERASEBKGND paints the form's picture.
  BaseWindow::Register(icon, small, nullptr, 0);
}

void MainWindow::Create() {
  const auto& design = form_.Design();
  const UINT system_dpi = SystemDpi();
  RECT frame{0, 0, TwipsToPixels(design.client_width, static_cast<int>(system_dpi)),
             TwipsToPixels(design.client_height, static_cast<int>(system_dpi))};
  AdjustWindowRectForDpi(&frame, kStyle, 0, system_dpi);
  if (CreateAs(0, Widen(design.caption).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr) == nullptr) {
    throw RuntimeError(0, "The main window cannot be created");
  }
  services_.AttachMainWindow(Window());

  controls_.resize(Form1Controls().size());
  for (auto* model : form_.Controls()) {
    const int row = RowOfDesign(model->Design());
    auto& control = controls_[static_cast<size_t>(row)];
    control.model = model;
    control.row = row;
    control.container = ContainerRow(model->Design());
  }
  // Each control is made at its place, in its z-order and with its group
  // style, so that nothing has to be moved or restacked afterwards.
  Place(WindowDpi(Window()));
  CreateInZOrder();
  ApplyDpi(WindowDpi(Window()), nullptr);
  for (auto& control : controls_)
    SyncAll(control);
  InstallHooks();
  // A screen reader running now reads the first control as the window
  // shows; otherwise the names wait for the first picture of the window (the
  // service is a library the start need not load).
  BOOL reader = FALSE;
  if (SystemParametersInfoW(SPI_GETSCREENREADER, 0, &reader, 0) && reader)
    NameLists();
}

void MainWindow::NameLists() {
  if (std::exchange(lists_named_, true))
    return;
  // The other controls' window texts are their names.
  for (const auto& control : controls_) {
    const ControlKind kind = control.model->Kind();
    if (kind == ControlKind::kFileListBox || kind == ControlKind::kDirListBox ||
        kind == ControlKind::kDriveListBox) {
      names_.Name(control.window, Widen(AccessibleName(control.model->Design())));
    }
  }
}

HWND MainWindow::CreateCommon(NativeControl& control, const wchar_t* class_name, DWORD style,
                              DWORD ex_style) {
  const RECT& at = control.placed;
  control.common.reset(CreateWindowExW(
      ex_style, class_name, L"", style, at.left, at.top, at.right - at.left, at.bottom - at.top,
      Window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + control.row)),
      GetModuleHandleW(nullptr), nullptr));
  return control.common.get();
}

void MainWindow::CreateControl(NativeControl& control, DWORD extra_style) {
  const ControlDesign& design = control.model->Design();
  const int id = kFirstControlId + control.row;
  // Every control sits directly on the main window (a group box passes no
  // notifications on), clipped against its siblings so a frame never paints
  // over what it holds.
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (design.visible ? WS_VISIBLE : 0) | extra_style;
  control.placed = control.bounds;
  if (design.kind == ControlKind::kDriveListBox) {
    // The open list's room; the closed box's height follows the font.
    control.placed.bottom = control.placed.top + (control.bounds.bottom - control.bounds.top) * 10;
  }
  if (view::TakesFocus(*control.model))
    style |= WS_TABSTOP;
  switch (design.kind) {
    case ControlKind::kTimer:
      return;
    case ControlKind::kFrame:
      control.frame = std::make_unique<FrameWindow>();
      control.window = control.frame->Create(Window(), id, L"", style, control.placed);
      break;
    case ControlKind::kImage:
      if (view::TakesFocus(*control.model)) {
        // A picture that acts is a button, drawn by its parent with the
        // picture (WM_DRAWITEM) and named by its text ("Donate"): the
        // keyboard reaches it, Space presses it, readers read it.
        control.window = CreateCommon(control, L"BUTTON", style | BS_OWNERDRAW);
        SetWindowTextW(control.window, Widen(AccessibleName(design)).c_str());
        win32::sys::SetWindowSubclass(control.window, &MainWindow::ButtonSubclass, 1,
                                      reinterpret_cast<DWORD_PTR>(this));
        break;
      }
      [[fallthrough]];
    case ControlKind::kPictureBox:
      control.picture = std::make_unique<PictureWindow>();
      control.window = control.picture->Create(Window(), id, style, control.placed);
      break;
    case ControlKind::kTextBox:
      // Only carries the page text; never shown, never focused.
      control.window =
          CreateCommon(control, L"EDIT", style | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL);
      break;
    case ControlKind::kLabel:
      // Every label is one line high: a wrapped second line would only hide
      // the end of the first.
      control.window = CreateCommon(control, L"STATIC", style | SS_LEFTNOWORDWRAP | SS_NOPREFIX);
      break;
    case ControlKind::kCommandButton:
      control.window = CreateCommon(control, L"BUTTON", style | BS_PUSHBUTTON | BS_MULTILINE);
      win32::sys::SetWindowSubclass(control.window, &MainWindow::ButtonSubclass, 1,
                                    reinterpret_cast<DWORD_PTR>(this));
      break;
    case ControlKind::kOptionButton:
      // Not an auto radio button: OptionButton::Select decides, and the check
      // mark follows the model's Value.
      control.window = CreateCommon(control, L"BUTTON", style | BS_RADIOBUTTON);
      // The button is only as wide as its mark, so its own caption never
      // shows; its window text is what a screen reader announces, so it holds
      // the text of the label beside it ("Windowed", "*.rpx").
      SetWindowTextW(control.window, Widen(AccessibleName(design)).c_str());
      break;
    case ControlKind::kFileListBox:
      control.window = CreateCommon(
          control, L"LISTBOX", style | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL,
          WS_EX_CLIENTEDGE);
      break;
    case ControlKind::kDirListBox:
      // Owner-drawn for the folder icons; the strings stay the plain names.
      control.window = CreateCommon(control, L"LISTBOX",
                                    style | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                                        LBS_HASSTRINGS | WS_VSCROLL | WS_HSCROLL,
                                    WS_EX_CLIENTEDGE);
      break;
    case ControlKind::kDriveListBox:
      control.window = CreateCommon(control, L"COMBOBOX", style | CBS_DROPDOWNLIST | WS_VSCROLL);
      break;
  }
  if (control.window == nullptr) {
    throw RuntimeError(0, "The control " + design.Id() + " cannot be created");
  }

  if (control.picture && design.kind == ControlKind::kImage) {
    auto* image = static_cast<Image*>(control.model);
    control.picture->MouseMove = [this, image] { view::MouseMove(form_, *image); };
    control.picture->Click = [this, image] { view::Click(form_, *image); };
  }
}

void MainWindow::Show(int command) {
  if (form_.RecordColumns())
    ShowRecordColumns();
  ShowWindow(Window(), command);
  UpdateWindow(Window());
  started_ = true;
  for (auto& c : controls_)
    ArmTimer(c);
  if (HWND first = GetNextDlgTabItem(Window(), nullptr, FALSE))
    SetFocus(first);
}

bool MainWindow::PreTranslate(MSG& msg) {
  return Window() != nullptr && IsDialogMessageW(Window(), &msg);
}

bool MainWindow::InputWaiting() {
  // The next repeat of a held key, or a click, already in the queue.
  MSG msg{};
  return PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE | PM_NOYIELD) ||
         PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE | PM_NOYIELD);
}

int MainWindow::RunMessageLoop() {
  MSG msg{};
  for (;;) {
    // A cover left waiting while input was queued is decoded once the queue
    // is empty: after the input, and after the list has been drawn anew.
    if (view::CoverWaiting(form_) && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      view::ShowWaitingCover(form_);
      continue;
    }
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
      break;
    if (PreTranslate(msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

HWND MainWindow::ControlWindow(std::string_view id) const {
  for (const auto& c : controls_) {
    if (c.model != nullptr && c.model->Id() == id)
      return c.window;
  }
  return nullptr;
}

UINT MainWindow::Dpi() const {
  return dpi_;
}

MainWindow::NativeControl* MainWindow::Find(HWND window) {
  if (window == nullptr)
    return nullptr;
  const int row = GetDlgCtrlID(window) - kFirstControlId;
  if (row < 0 || row >= static_cast<int>(controls_.size()))
    return nullptr;
  auto& c = controls_[static_cast<size_t>(row)];
  return c.window == window ? &c : nullptr;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wparam));
      return 1;
    case WM_PAINT: {
      {
        PaintScope paint(Window());
      }
      // The start's last work waits for the first picture of the window.
      if (!painted_) {
        painted_ = true;
        Later([this] {
          services_.FinishStart();
          NameLists();
        });
      }
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_MEASUREITEM: {
      // Sent while the folder list is made, before it has its font: the
      // height is set again with the font (ApplyDpi).
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (measure->CtlType != ODT_LISTBOX)
        return Default(message, wparam, lparam);
      const int row = static_cast<int>(measure->CtlID) - kFirstControlId;
      const bool files = row >= 0 && row < static_cast<int>(controls_.size()) &&
                         controls_[row].model->Kind() == ControlKind::kFileListBox;
      measure->itemHeight = static_cast<UINT>(files ? GameRowHeight(list_font_.get())
                                                    : FolderItemHeight(list_font_.get(), dpi_));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw->CtlType == ODT_BUTTON) {
        const NativeControl* button = Find(draw->hwndItem);
        if (button == nullptr || button->model->Kind() != ControlKind::kImage)
          return Default(message, wparam, lparam);
        DrawPictureButton(*draw, *static_cast<const Image*>(button->model));
        return TRUE;
      }
      const NativeControl* c = draw->CtlType == ODT_LISTBOX ? Find(draw->hwndItem) : nullptr;
      if (c != nullptr && c->model->Kind() == ControlKind::kFileListBox) {
        DrawGameRow(*draw, *static_cast<const FileListBox*>(c->model), file_columns_);
        return TRUE;
      }
      if (c == nullptr || c->model->Kind() != ControlKind::kDirListBox)
        return Default(message, wparam, lparam);
      folder_icons_.Load(dpi_);
      DrawFolderItem(*draw, *static_cast<const DirListBox*>(c->model), folder_icons_, dpi_);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
      return OnCtlColor(message, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_SETCURSOR:
      return OnSetCursor(reinterpret_cast<HWND>(wparam), LOWORD(lparam));
    case WM_TIMER:
      OnTimer(wparam);
      return 0;
    case WM_ACTIVATE:
      // Give the focus back to the control that had it when the window was
      // left, as a dialog does.
      if (LOWORD(wparam) == WA_INACTIVE) {
        saved_focus_ = GetFocus();
      } else if (saved_focus_ != nullptr && IsChild(Window(), saved_focus_)) {
        SetFocus(saved_focus_);
        return 0;
      }
      return Default(message, wparam, lparam);
    case kRunLater:
      RunLater();
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      // Never stands in the way of the session's end; the unload waits for
      // WM_ENDSESSION, since another program may still cancel the end.
      return TRUE;
    case WM_ENDSESSION:
      // The session ends and the process may be ended at any moment after
      // this returns: give the desktop and the taskbar back now.
      if (wparam != FALSE) {
        UnloadOnce();
        DestroyWindow(Window());
      }
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return Default(message, wparam, lparam);
  }
}

SIZE MainWindow::FormPictureSize() const {
  const PicturePtr& picture = form_.Picture();
  if (!picture)
    return SIZE{0, 0};
  // Pixels at 96 DPI, like the rest of the design: the picture grows with
  // the controls, so the cover still lies on the console's screen.
  const int dpi = static_cast<int>(dpi_);
  return SIZE{MulDiv(picture->Width(), dpi, 96), MulDiv(picture->Height(), dpi, 96)};
}

void MainWindow::PaintBackground(HDC dc) {
  RECT client{};
  GetClientRect(Window(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  // The picture from the top-left corner, at its own size at 96 DPI and
  // scaled with the DPI otherwise; beyond the client area it is cut off.
  if (const auto* picture = dynamic_cast<const Win32Picture*>(form_.Picture().get())) {
    const SIZE size = FormPictureSize();
    picture->Draw(dc, RECT{0, 0, size.cx, size.cy});
  }
}

void MainWindow::OnCommand(int id, int code, HWND from) {
  if (id == IDOK) {
    // Enter on the folder list opens the entry, as a double click does; on
    // the donation button it presses it, as on a push button.
    if (NativeControl* c = Find(GetFocus()); c && c->model->Kind() == ControlKind::kDirListBox) {
      OpenFolderEntry(*c);
    } else if (c && c->model->Kind() == ControlKind::kImage) {
      view::Click(form_, *static_cast<Image*>(c->model));
    }
    return;
  }
  if (id == IDCANCEL)
    return;  // Esc is a hotkey of the running game, never a close
  NativeControl* c = Find(from);
  if (c == nullptr)
    return;
  switch (c->model->Kind()) {
    case ControlKind::kCommandButton:
      if (code == BN_CLICKED)
        view::Click(form_, *static_cast<CommandButton*>(c->model));
      break;
    case ControlKind::kImage:
      // The mouse, Space, and a screen reader's default action alike.
      if (code == BN_CLICKED)
        view::Click(form_, *static_cast<Image*>(c->model));
      break;
    case ControlKind::kOptionButton:
      if (code == BN_CLICKED && !pad_focusing_) {
        view::SelectOption(form_, *static_cast<OptionButton*>(c->model));
        Sync(*c, Property::kValue);
      }
      break;
    case ControlKind::kFileListBox:
      // Mouse and arrow keys alike; the list getting the focus selects
      // nothing and sends nothing.
      if (code == LBN_SELCHANGE) {
        view::PickFile(form_, static_cast<int>(SendMessageW(c->window, LB_GETCURSEL, 0, 0)),
                       InputWaiting());
        SyncFileSelection(*c);
      }
      break;
    case ControlKind::kDirListBox:
      if (code == LBN_DBLCLK)
        OpenFolderEntry(*c);
      break;
    case ControlKind::kDriveListBox:
      if (code == CBN_DROPDOWN) {
        view::DriveListOpening(form_);
      } else if (code == CBN_SELCHANGE) {
        const auto index = static_cast<int>(SendMessageW(c->window, CB_GETCURSEL, 0, 0));
        if (index != CB_ERR)
          view::PickDrive(form_, index);
        // A drive that cannot be shown leaves the list on the drive it had.
        SyncList(*c);
      }
      break;
    default:
      break;
  }
}

LRESULT MainWindow::OnCtlColor(UINT message, HDC dc, HWND child) {
  const NativeControl* c = Find(child);
  if (c == nullptr)
    return Default(message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
  const Control& model = *c->model;
  SetTextColor(dc, color::IsSystem(model.ForeColor())
                       ? GetSysColor(color::SystemIndex(model.ForeColor()))
                       : static_cast<COLORREF>(model.ForeColor() & 0xFFFFFF));
  const std::uint32_t back = model.BackColor();
  SetBkColor(dc, color::IsSystem(back) ? GetSysColor(color::SystemIndex(back))
                                       : static_cast<COLORREF>(back & 0xFFFFFF));
  const ControlKind kind = model.Kind();
  if (kind == ControlKind::kFileListBox || kind == ControlKind::kDirListBox ||
      kind == ControlKind::kDriveListBox || kind == ControlKind::kTextBox) {
    return reinterpret_cast<LRESULT>(BrushFor(back));
  }
  SetBkMode(dc, TRANSPARENT);
  // A transparent label shows what lies behind it: the white of its frame,
  // or the form's picture.
  if (view::DrawsTransparent(model)) {
    if (c->container >= 0) {
      return reinterpret_cast<LRESULT>(
          BrushFor(controls_[static_cast<size_t>(c->container)].model->BackColor()));
    }
    return reinterpret_cast<LRESULT>(FormPictureBrush(dc, *c));
  }
  return reinterpret_cast<LRESULT>(BrushFor(back));
}

HBRUSH MainWindow::BrushFor(std::uint32_t color) {
  if (color::IsSystem(color))
    return GetSysColorBrush(color::SystemIndex(color));
  auto& brush = brushes_[color];
  if (!brush)
    brush.reset(CreateSolidBrush(static_cast<COLORREF>(color & 0xFFFFFF)));
  return brush.get();
}

HBRUSH MainWindow::FormPictureBrush(HDC dc, const NativeControl& control) {
  const auto* picture = dynamic_cast<const Win32Picture*>(form_.Picture().get());
  const SIZE size = FormPictureSize();
  if (picture == nullptr || picture->Bitmap() == nullptr || control.origin.x + 1 > size.cx ||
      control.origin.y + 1 > size.cy) {
    return BrushFor(color::kButtonFace);
  }
  // Each label gets the part of the picture it lies on, not the whole
  // picture: a pattern brush is a copy of its bitmap.
  auto& brush = picture_brushes_[control.row];
  if (!brush) {
    const RECT part{control.origin.x, control.origin.y, control.bounds.right,
                    control.bounds.bottom};
    if (UniqueBitmap piece = picture->Part(size, part))
      brush.reset(CreatePatternBrush(piece.get()));
    if (!brush)
      return BrushFor(color::kButtonFace);
  }
  SetBrushOrgEx(dc, 0, 0, nullptr);
  return brush.get();
}

BOOL MainWindow::OnSetCursor(HWND target, int hit_test) {
  if (target == Window()) {
    return static_cast<BOOL>(
        Default(WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit_test, 0)));
  }
  if (hit_test == HTCLIENT) {
    if (const NativeControl* c = Find(target); c && ApplyCustomCursor(*c))
      return TRUE;
  }
  return FALSE;  // the child's own cursor
}

void MainWindow::WatchPadWhileLoading(bool on) {
  if (!on) {
    start_up_pad_.reset();
  } else if (!start_up_pad_ && Window() != nullptr) {
    start_up_pad_ =
        UniqueTimer(Window(), kStartUpPadTimer, static_cast<UINT>(form_.Timer1.Interval()));
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  if (id == kStartUpPadTimer) {
    if (start_up_pad_)
      view::StartUpPad(form_, *this);
    return;
  }
  const auto row = static_cast<int>(id) - kFirstControlId;
  if (row < 0 || row >= static_cast<int>(controls_.size()))
    return;
  NativeControl* c = &controls_[static_cast<size_t>(row)];
  if (c->model->Kind() != ControlKind::kTimer)
    return;
  view::TimerExpired(form_, *static_cast<Timer*>(c->model), this);
}

void MainWindow::OnClose() {
  UnloadOnce();
  // The close is never refused.
  DestroyWindow(Window());
}

void MainWindow::UnloadOnce() {
  if (unloaded_)
    return;
  unloaded_ = true;
  view::Unload(form_);
}

void MainWindow::OnDestroy() {
  started_ = false;
  // The children still exist: they go after their parent's WM_DESTROY.
  names_.Clear();
  for (auto& c : controls_) {
    c.timer.reset();
    c.common.release();  // destroyed with this window, right after
  }
  if (options_.quit_on_destroy)
    PostQuitMessage(0);
}

void MainWindow::DrawPictureButton(const DRAWITEMSTRUCT& draw, const Image& image) {
  PaintPicture(draw.hwndItem, draw.hDC, image.Picture(),
               image.Stretch() ? PictureFit::kStretch : PictureFit::kOwnSize);
  // The focus is shown as on any button, once the keyboard has been used.
  if ((draw.itemState & ODS_FOCUS) != 0 && (draw.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT mark = draw.rcItem;
    InflateRect(&mark, -1, -1);
    DrawFocusRect(draw.hDC, &mark);
  }
}

LRESULT CALLBACK MainWindow::ButtonSubclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR id, DWORD_PTR self) {
  if (message == WM_MOUSEMOVE) {
    reinterpret_cast<MainWindow*>(self)->FireMouseMove(window);
  } else if (message == WM_LBUTTONDBLCLK) {
    // An owner-drawn button takes a second quick click for a double click
    // and presses nothing: each click of the donation picture was a click,
    // and stays one (a push button does the same already).
    message = WM_LBUTTONDOWN;
  } else if (message == WM_NCDESTROY) {
    win32::sys::RemoveWindowSubclass(window, &MainWindow::ButtonSubclass, id);
  }
  return win32::sys::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace tavro::win32ui
