#pragma once
// The Win32 view of Form1: one native child window per control, placed from
// the design-time table at the window's DPI, following every property change
// of the models at once and forwarding the user's events through RunEvent.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "window/controls/Control.h"
#include "view/win32/BaseWindow.h"
#include "view/win32/ChildWindows.h"
#include "view/win32/ControlNames.h"
#include "view/win32/FolderList.h"
#include "view/win32/GameRowList.h"
#include "view/win32/Handles.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro::win32ui {

struct Win32Roles;

// Each control's window has the control ID kFirstControlId + its row in
// Form1Controls(): GetDlgItem finds it, GetDlgCtrlID tells its row.
inline constexpr int kFirstControlId = 1000;

struct ViewOptions {
  // The program ends its message loop with the window; a test that makes
  // several windows in one thread does not want WM_QUIT.
  bool quit_on_destroy = true;
};

class MainWindow final : public BaseWindow<MainWindow>, public view::PadView {
 public:
  static constexpr const wchar_t* kClassName = L"TavroFrontEndWindow";
  // Posted to the window to run what Later queued.
  static constexpr UINT kRunLater = WM_APP + 1;
  static constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

  MainWindow(Form1& form, Win32Roles& services, ViewOptions options = {});
  ~MainWindow();

  static void Register();

  // Makes the window, still hidden, with every control built from the
  // models' current state and the property hooks installed.
  void Create();
  // Shows the window and starts the timers.
  void Show(int command);
  // While Form_Load runs: the controller read on a timer of its own, to
  // close the message boxes it shows (see view::StartUpPad).
  void WatchPadWhileLoading(bool on);
  // Dialog keys (Tab, arrows, Enter on a list); true when msg was handled.
  bool PreTranslate(MSG& msg);
  int RunMessageLoop();

  // The window of a control by its Id ("Option2(1)"); nullptr for a timer.
  HWND ControlWindow(std::string_view id) const;
  UINT Dpi() const;

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // The game controller's part of the view (MainWindowPad.cpp; see
  // view::PadView).
  bool LauncherActive() override;
  bool MessageBoxOpen() override;
  void CloseMessageBox() override;
  Control* FocusedControl() override;
  void Focus(Control& control) override;
  void ShowFocus() override;
  int FolderHighlight() override;
  void SetFolderHighlight(int row) override;
  bool DriveListOpen() override;
  void OpenDriveList(bool open) override;
  int DriveHighlight() override;
  void SetDriveHighlight(int row) override;
  void Later(std::function<void()> work) override;
  void ComeBack() override;
  static constexpr UINT_PTR kStartUpPadTimer = 1;  // below the controls' ids

 private:
  struct NativeControl {
    Control* model = nullptr;
    int row = -1;
    int container = -1;  // row of the frame that holds it, -1 for the form
    HWND window = nullptr;
    UniqueWindow common;  // a common control (button, static, list, ...)
    std::unique_ptr<FrameWindow> frame;
    std::unique_ptr<PictureWindow> picture;
    UniqueTimer timer;
    POINT origin{};  // top-left in the main window's client area
    RECT visible{};  // the part its containers leave visible, same coordinates
    RECT bounds{};   // its window's rect in the main window's client area
    // What was last applied to its window: a move or a region costs a round
    // trip to the server under Wine, so only a change is sent.
    RECT placed{};
    bool clipped = false;
  };

  // Building (MainWindow.cpp).
  void CreateControl(NativeControl& control, DWORD extra_style);
  HWND CreateCommon(NativeControl& control, const wchar_t* class_name, DWORD style,
                    DWORD ex_style = 0);
  std::vector<NativeControl*> ZOrder();
  void CreateInZOrder();
  void ApplyDpi(UINT dpi, const RECT* suggested);
  // Where every control goes at a DPI (origin, visible, bounds), windows
  // untouched; Layout then moves the windows that are not there yet.
  void Place(UINT dpi);
  void Layout(UINT dpi);
  void FitComboHeight(HWND combo, int height);

  // Messages (MainWindow.cpp).
  void OnCommand(int id, int code, HWND from);
  // Whether the user's keys or clicks wait in the queue already.
  static bool InputWaiting();
  LRESULT OnCtlColor(UINT message, HDC dc, HWND child);
  BOOL OnSetCursor(HWND target, int hit_test);
  void OnTimer(UINT_PTR id);
  void OnClose();
  void UnloadOnce();
  void OnDestroy();
  void PaintBackground(HDC dc);
  void DrawPictureButton(const DRAWITEMSTRUCT& draw, const Image& image);
  static LRESULT CALLBACK ButtonSubclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR id, DWORD_PTR self);

  // Following the models (MainWindowSync.cpp).
  // With the player's records shown (Form1::RecordColumns), the file list
  // made again owner-drawn, in its place in the z-order and tab order, with
  // its rows, font, name and focus.
  void ShowRecordColumns();
  bool FileListDrawn(const NativeControl& control) const;
  void InstallHooks();
  void SyncAll(NativeControl& control);
  void Sync(NativeControl& control, Property property);
  void SyncList(NativeControl& control);
  void SyncFileSelection(NativeControl& control);
  void ArmTimer(NativeControl& control);
  void RefreshCursor(const NativeControl& control);
  bool ApplyCustomCursor(const NativeControl& control);
  void OpenFolderEntry(NativeControl& control);
  void FireMouseMove(HWND window);

  NativeControl* Find(HWND window);
  HBRUSH BrushFor(std::uint32_t color);
  HBRUSH FormPictureBrush(HDC dc, const NativeControl& control);
  // The form's picture as drawn at the window's DPI: its size in pixels.
  SIZE FormPictureSize() const;

  Form1& form_;
  Win32Roles& services_;
  ViewOptions options_;
  std::vector<NativeControl> controls_;  // by row
  UniqueFont font_;
  UniqueFont list_font_;
  FolderIcons folder_icons_;
  GameRowColumns file_columns_;  // measured when the file list fills
  std::map<std::uint32_t, UniqueBrush> brushes_;
  std::map<int, UniqueBrush> picture_brushes_;  // by row: the picture under a label
  std::vector<std::pair<PicturePtr, UniqueCursor>> cursors_;
  HWND saved_focus_ = nullptr;
  // The controller is moving the focus: an option button that gets it is
  // not chosen by that (a button of BS_RADIOBUTTON style reports a click
  // when it gets the focus unchecked).
  bool pad_focusing_ = false;
  void RunLater();
  // Work queued by Later, run at kRunLater.
  std::vector<std::function<void()>> later_;
  bool started_ = false;
  bool painted_ = false;
  // Form_Unload runs once, whether the user closes the window or the
  // session ends.
  bool unloaded_ = false;
  UINT dpi_ = 96;
  UniqueTimer start_up_pad_;
  // The lists' names for screen readers (ControlNames), given once.
  void NameLists();
  bool lists_named_ = false;
  ControlNames names_;
};

}  // namespace tavro::win32ui
