// Desktop and taskbar windows, drives, keys, the shell refresh and the
// message box, against real windows made by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "TestSupport.h"
#include "desktop/Module006_Windows_Functions.h"

namespace tavro::test {
namespace {

class WindowClass final {
 public:
  explicit WindowClass(const wchar_t* name) : name_(name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    atom_ = RegisterClassExW(&wc);
  }
  ~WindowClass() {
    if (atom_)
      UnregisterClassW(name_, GetModuleHandleW(nullptr));
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  bool Registered() const { return atom_ != 0; }

 private:
  const wchar_t* name_;
  ATOM atom_ = 0;
};

// A visible, enabled top-level window standing in for one of the shell's.
class StandIn final {
 public:
  StandIn(const wchar_t* class_name, const wchar_t* title)
      : hwnd_(CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr)) {
    if (hwnd_)
      ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ~StandIn() {
    if (hwnd_)
      DestroyWindow(hwnd_);
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring TitleOf(HWND hwnd) {
  wchar_t title[256] = {};
  GetWindowTextW(hwnd, title, 256);
  return title;
}

HWND AsHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

class ShellWindows : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(progman_class_.Registered());
    ASSERT_TRUE(tray_class_.Registered());
  }
  void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
  }
  // Waits for handle (none: only the time) or until done holds, up to
  // tenths of a second, answering what other processes ask of the
  // stand-ins meanwhile.
  bool WaitAnswering(HANDLE handle, const std::function<bool()>& done = {}, int tenths = 600) {
    const DWORD count = handle == nullptr ? 0 : 1;
    for (int i = 0; i < tenths; ++i) {
      const DWORD got = MsgWaitForMultipleObjects(count, &handle, FALSE, 100, QS_ALLINPUT);
      PumpMessages();
      if (done ? done() : (count == 1 && got == WAIT_OBJECT_0))
        return true;
    }
    return false;
  }

  // The roles as the program makes them, with this program as the watcher.
  TestServices services_{Wide(SelfPath())};
  WindowClass progman_class_{L"Progman"};
  WindowClass tray_class_{L"Shell_TrayWnd"};
};

TEST_F(ShellWindows, TheDesktopIsHiddenAndDisabledThenShownAndEnabled) {
  const StandIn desktop(L"Progman", L"Program Manager");
  ASSERT_TRUE(desktop.Get());
  const auto found = services_.FindShellWindows(ShellWindow::kDesktop);
  ASSERT_EQ(found, std::vector<WindowHandle>{reinterpret_cast<WindowHandle>(desktop.Get())});

  SetDesktopVisible(services_, false);
  PumpMessages();
  EXPECT_FALSE(IsWindowVisible(desktop.Get()));
  EXPECT_FALSE(IsWindowEnabled(desktop.Get()));

  SetDesktopVisible(services_, true);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(desktop.Get()));
  EXPECT_TRUE(IsWindowEnabled(desktop.Get()));
}

TEST_F(ShellWindows, OnlyAProgmanCalledProgramManagerIsTheDesktop) {
  const StandIn other(L"Progman", L"Not the desktop");
  EXPECT_TRUE(services_.FindShellWindows(ShellWindow::kDesktop).empty());
  SetDesktopVisible(services_, false);  // nothing to hide: nothing happens
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(other.Get()));
  EXPECT_TRUE(IsWindowEnabled(other.Get()));
  EXPECT_NO_THROW(SetDesktopVisible(services_, true));
}

// Wine keeps a hidden Shell_TrayWnd of its own; whichever window is found,
// it must be a Shell_TrayWnd with an empty title, and it must follow.
TEST_F(ShellWindows, TheTaskbarIsHiddenAndShownButNeverDisabled) {
  const StandIn tray(L"Shell_TrayWnd", L"");
  ASSERT_TRUE(tray.Get());
  const auto found = services_.FindShellWindows(ShellWindow::kTaskbar);
  ASSERT_EQ(found.size(), 1u);
  const HWND taskbar = AsHwnd(found[0]);
  EXPECT_EQ(ClassOf(taskbar), L"Shell_TrayWnd");
  EXPECT_EQ(TitleOf(taskbar), L"");

  SetTaskbarVisible(services_, false);
  PumpMessages();
  EXPECT_FALSE(IsWindowVisible(taskbar));
  EXPECT_TRUE(IsWindowEnabled(taskbar));

  SetTaskbarVisible(services_, true);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(taskbar));
  EXPECT_TRUE(IsWindowEnabled(taskbar));
  if (taskbar != tray.Get())
    ShowWindow(taskbar, SW_HIDE);  // Wine's own, hidden as it was
}

TEST_F(ShellWindows, AShellTrayWndWithATitleIsNotTheTaskbar) {
  const StandIn titled(L"Shell_TrayWnd", L"Not the taskbar");
  ASSERT_TRUE(titled.Get());
  for (const auto handle : services_.FindShellWindows(ShellWindow::kTaskbar)) {
    EXPECT_NE(AsHwnd(handle), titled.Get());
    EXPECT_EQ(TitleOf(AsHwnd(handle)), L"");
  }
  SetTaskbarVisible(services_, false);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(titled.Get()));
  SetTaskbarVisible(services_, true);
}

// The guards of the program's start: a crash shows the hidden desktop and
// taskbar again before the process goes.
TEST_F(ShellWindows, ACrashShowsTheDesktopAndTheTaskbarAgain) {
  for (const char* how : {"access", "terminate"}) {
    SCOPED_TRACE(how);
    const StandIn desktop(L"Progman", L"Program Manager");
    const StandIn tray(L"Shell_TrayWnd", L"");
    ASSERT_TRUE(desktop.Get());
    SetDesktopVisible(services_, false);
    SetTaskbarVisible(services_, false);
    const auto found = services_.FindShellWindows(ShellWindow::kTaskbar);
    ASSERT_EQ(found.size(), 1u);
    const HWND taskbar = AsHwnd(found[0]);
    ASSERT_FALSE(IsWindowVisible(desktop.Get()));
    ASSERT_FALSE(IsWindowVisible(taskbar));

    auto child = StartSelf(std::string("--crash ") + how);
    // The child shows our windows through this thread: keep answering.
    HANDLE process = child.get();
    bool ended = false;
    for (int i = 0; i < 600 && !ended; ++i) {
      ended = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0;
      PumpMessages();
    }
    if (!ended)
      TerminateProcess(process, 9);
    ASSERT_TRUE(ended) << "the crashed child did not end";
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    EXPECT_NE(code, 0u) << "the child did not crash";
    EXPECT_TRUE(IsWindowVisible(desktop.Get()));
    EXPECT_TRUE(IsWindowEnabled(desktop.Get()));
    EXPECT_TRUE(IsWindowVisible(taskbar));
    if (taskbar != tray.Get())
      ShowWindow(taskbar, SW_HIDE);  // Wine's own, hidden as it was
  }
}

// No handler of the launcher runs when it is ended by force: its watcher
// shows and enables what it hid, then ends.
TEST_F(ShellWindows, AForcedEndShowsTheDesktopAndTheTaskbarAgain) {
  const StandIn desktop(L"Progman", L"Program Manager");
  const StandIn tray(L"Shell_TrayWnd", L"");
  ASSERT_TRUE(desktop.Get());
  ASSERT_TRUE(tray.Get());
  const auto found = services_.FindShellWindows(ShellWindow::kTaskbar);
  ASSERT_EQ(found.size(), 1u);
  const HWND taskbar = AsHwnd(found[0]);
  ShowWindow(taskbar, SW_SHOWNOACTIVATE);

  const NamedEvent ready("hidden");
  auto child = StartSelf("--hide " + ready.Name());
  const bool hidden = WaitAnswering(ready.Handle());
  if (!hidden)
    TerminateProcess(child.get(), 9);
  ASSERT_TRUE(hidden) << "the child never hid the windows";
  // Posted, and disabled from a thread of the child's own: they arrive
  // while this thread answers.
  EXPECT_TRUE(WaitAnswering(nullptr, [&] {
    return !IsWindowVisible(desktop.Get()) && !IsWindowEnabled(desktop.Get()) &&
           !IsWindowVisible(taskbar);
  })) << "the child did not hide and disable the windows";

  ASSERT_TRUE(TerminateProcess(child.get(), 9));
  EXPECT_TRUE(WaitAnswering(child.get()));
  EXPECT_TRUE(WaitAnswering(nullptr, [&] {
    return IsWindowVisible(desktop.Get()) && IsWindowEnabled(desktop.Get()) &&
           IsWindowVisible(taskbar);
  })) << "the watcher did not show the windows again";
  if (taskbar != tray.Get())
    ShowWindow(taskbar, SW_HIDE);  // Wine's own, hidden as it was
}

// Hidden and shown again before a normal end: the watcher shows nothing
// after it, whatever happens to the windows since.
TEST_F(ShellWindows, ANormalEndLeavesWhatWasShownAgainAlone) {
  const StandIn desktop(L"Progman", L"Program Manager");
  ASSERT_TRUE(desktop.Get());
  {
    TestServices services(Wide(SelfPath()));
    SetDesktopVisible(services, false);
    SetDesktopVisible(services, true);
    // Hidden by someone else now; the watcher must not undo that.
    ShowWindow(desktop.Get(), SW_HIDE);
  }
  WaitAnswering(nullptr, {}, 20);  // a moment for a stray watcher
  EXPECT_FALSE(IsWindowVisible(desktop.Get()));
}

TEST(Drives, AreLowerCaseLettersWithAColonIncludingCAndZ) {
  TestServices services;
  const auto drives = services.Drives();
  EXPECT_NE(std::find(drives.begin(), drives.end(), "c:"), drives.end());
  EXPECT_NE(std::find(drives.begin(), drives.end(), "z:"), drives.end());  // Wine's "/"
  for (const auto& drive : drives) {
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_TRUE(drive[0] >= 'a' && drive[0] <= 'z') << drive;
    EXPECT_EQ(drive[1], ':');
  }
  EXPECT_EQ(services.FallbackDrive(), "c:");
}

TEST(KeyState, AKeyNotPressedIsZero) {
  TestServices services;
  for (const HotKey key : {HotKey::kEscape, HotKey::kNine, HotKey::kEight}) {
    const KeyState state = services.Key(key);
    EXPECT_FALSE(state.down || state.pressed) << static_cast<int>(key);
  }
}

TEST(RefreshShellIcons, DoesNotFail) {
  TestServices services;
  EXPECT_NO_THROW(services.RefreshShellIcons());
}

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM out) {
  if (ClassOf(hwnd) != L"#32770")
    return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

// The message box shows UTF-8 title and prompt intact and waits for OK.
TEST(MsgBox, ShowsTitleAndPromptAndReturnsOnOk) {
  TestServices services;
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> stop = false;
  std::wstring seen_title, seen_prompt;
  std::thread closer([&] {
    for (int i = 0; i < 600 && !stop; ++i) {  // a minute at most
      HWND box = nullptr;
      EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&box));
      if (box) {
        seen_title = TitleOf(box);
        seen_prompt = TitleOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(100);
    }
  });
  services.MsgBox("Le dossier « Jeux ゲーム » est introuvable.", "Tavro é");
  stop = true;
  closer.join();
  EXPECT_EQ(seen_title, L"Tavro é");
  EXPECT_EQ(seen_prompt, L"Le dossier « Jeux ゲーム » est introuvable.");
}

// An unbroken run too wide for the screen loses its middle, and the box
// stays within the work area.
TEST(MsgBox, ShortensAnUnbrokenRunToFitTheScreen) {
  TestServices services;
  const DWORD thread = GetCurrentThreadId();
  std::wstring prompt;
  RECT box_rect{}, work{};
  std::thread closer([&] {
    for (int i = 0; i < 600; ++i) {
      HWND box = nullptr;
      EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&box));
      if (box) {
        prompt = TitleOf(GetDlgItem(box, 0xFFFF));
        GetWindowRect(box, &box_rect);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(100);
    }
  });
  services.MsgBox("Flatpak " + std::string(1000, 'x') + "y is bad", "Alert!");
  closer.join();
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(prompt.starts_with(L"Flatpak xxx")) << prompt.size();
  EXPECT_TRUE(prompt.ends_with(L"xy is bad"));
  EXPECT_NE(prompt.find(L'\u2026'), std::wstring::npos);
  EXPECT_GE(box_rect.left, work.left);
  EXPECT_LE(box_rect.right, work.right);
}

}  // namespace
}  // namespace tavro::test
