// The pad table (tests/pad/PadSequences.h) through the Win32 view, the
// program's own XInput code reading the stand-in library.

#include "ViewFixture.h"
#include "pad/PadSequences.h"
#include "runtime/win32/UniqueHandle.h"
#include "view/win32/ControlRows.h"
#include "view/win32/Wide.h"

namespace tavro::win32ui::test {
namespace {

class Win32PadRig final : public tavro::test::PadRig {
 public:
  Win32PadRig(const std::string& app, const std::string& bin, HWND other)
      : app_(app), library_(Widen(bin + "\\tavro_xinput_standin.dll")), other_(other) {
    form = &form_;
    view = &view_;
    view_.Create();
    view_.Show(SW_SHOWNORMAL);
    form_.Timer1.Start();
    // A tick still counts 100 ms.
    SetTimer(view_.Window(), kFirstControlId + RowOfDesign(form_.Timer1.Design()), 20, nullptr);
    SendMessageW(view_.Window(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  }
  ~Win32PadRig() override {
    form_.Timer1.Stop();
    Set({0, 0, 0, false});  // the desktop left in front costs Wine two seconds
    DestroyWindow(view_.Window());
    Pump(view_);
    FreeLibrary(module_);
  }
  void Set(const tavro::test::PadStep& step) override {
    // Brought to the front unless it is there (or its own message box is).
    HWND front = step.in_front ? view_.Window() : other_;
    PumpUntil(view_, [&] {
      const bool there = GetAncestor(GetForegroundWindow(), GA_ROOTOWNER) == front;
      return leave_front || there || (SetForegroundWindow(front) && false);
    });
    WORD buttons = 0;
    for (int bit = 0; bit < 16; ++bit) {
      if (win32::XInputPads::ToPadButtons(static_cast<WORD>(1 << bit)) & step.buttons)
        buttons |= static_cast<WORD>(1 << bit);
    }
    Export<void (*)(DWORD, BOOL, WORD)>("StandInSetPad")(0, TRUE, buttons);
    Export<void (*)(DWORD, SHORT, SHORT)>("StandInSetStick")(0, static_cast<SHORT>(step.x),
                                                             static_cast<SHORT>(step.y));
  }
  void Loop(const std::function<bool()>& done) override { PumpUntil(view_, done); }
  HWND Launcher() const { return view_.Window(); }
  void WatchPadWhileLoading(bool on) override { view_.WatchPadWhileLoading(on); }
  void MsgBoxTicking(const std::function<void()>& tick) override {
    int ticks = 0;
    std::function<void()> each = [&] {
      tick();
      if (HWND box = FindWindowW(L"#32770", L"Error"); box != nullptr && ++ticks == 60) {
        ADD_FAILURE() << "a box left open";
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }
    };
    ticking_ = &each;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, Ticking);
    form_.Runtime().dialogs.MsgBox("The settings file was set aside.", "Error");
    KillTimer(nullptr, timer);
  }
  bool leave_front = false;  // true: the steps move no window to the front
  bool FocusShown() override {
    return !(SendMessageW(view_.Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  }

 private:
  template <typename F>
  F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  std::string app_;
  std::wstring library_;
  HWND other_;
  // A thread timer's callback has no context of its own.
  static inline std::function<void()>* ticking_ = nullptr;
  static void CALLBACK Ticking(HWND, UINT, UINT_PTR, DWORD) { (*ticking_)(); }
  // The program's processes in the library's folder, and its controllers
  // read through the stand-in library.
  class LibraryProcesses final : public Win32Processes {
   public:
    LibraryProcesses(Win32ShellWindows& shell, std::string app)
        : Win32Processes(shell), app_(std::move(app)) {}
    std::string AppFolder() const override { return app_; }

   private:
    std::string app_;
  };
  class StandInKeys final : public Keys {
   public:
    StandInKeys(Keys& keys, const std::wstring& library)
        : keys_(keys), pads_{library, 0, nullptr} {}
    KeyState Key(HotKey key) override { return keys_.Key(key); }
    std::vector<std::uint32_t> ControllerButtons() override { return pads_.Buttons(); }

   private:
    Keys& keys_;
    win32::XInputPads pads_;
  };
  Win32Roles roles_;
  LibraryProcesses processes_{roles_.shell_windows, app_};
  StandInKeys keys_{roles_.keys, library_};
  HMODULE module_ = LoadLibraryW(library_.c_str());  // the one the services load
  Form1 form_{Services{processes_, roles_.disks, roles_.dialogs, keys_, roles_.pictures,
                       roles_.shell_windows}};
  MainWindow view_{form_, roles_, ViewOptions{false}};
};

// The test program's folder, where the stand-in emulator is built.
std::string TestFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Utf8(std::filesystem::path(path).parent_path());
}

// Another program's window, for every row.
HWND MakeOther() {
  return CreateWindowExW(0, L"STATIC", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 900, 0,
                         200, 100, nullptr, nullptr, nullptr, nullptr);
}

TEST(Pad, SequencesThroughTheWin32View) {
  const std::string bin = TestFolder();
  HWND other = MakeOther();
  tavro::test::RunPadSequences(
      bin, [&](const std::string& app) { return std::make_unique<Win32PadRig>(app, bin, other); });
}

// The launcher back in front after a game the pad started, with the focus
// where it was; never over a window the player chose during the game, nor
// after a game started with the mouse. The stand-in emulator's own window
// takes the front while it runs.
TEST(Pad, BackInFrontAfterAGameThePadStarted) {
  const std::string bin = TestFolder();
  HWND other = MakeOther();
  const struct {
    const char* what;
    bool by_pad;
    bool chose_other;
    bool back;
  } table[] = {
      {"the pad's game ends: back, the focus where it was", true, false, true},
      {"the player chose another window: it keeps the front", true, true, false},
      {"a game started with the mouse: nothing moves", false, false, false},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    const std::string app = tavro::test::MakePadLibrary(bin, "front");
    Win32PadRig rig(app, bin, other);
    Form1& form = *rig.form;
    tavro::test::SetUpPadLibrary(form, app);
    // X brings the focus to the games, Down chooses Alpha, A plays it.
    std::vector<tavro::test::PadStep> steps = tavro::test::Steps("- x - D -");
    if (row.by_pad)
      steps.push_back(tavro::test::Steps("a")[0]);
    std::size_t at = 0;
    form.Timer1.Tick = [&] {
      rig.Set(at < steps.size() ? steps[at] : tavro::test::PadStep{});
      ++at;
      form.Timer1_Timer();
    };
    rig.Loop([&] { return at > steps.size(); });
    ASSERT_EQ(form.File1.FileName(), "Alpha.wud");
    rig.leave_front = true;
    if (!row.by_pad)
      view::Click(form, form.Command1);
    // In front by itself, or by the test as a window manager would put it.
    const auto bring = [&](HWND window) {
      return window != nullptr &&
             (GetForegroundWindow() == window || (SetForegroundWindow(window) && false));
    };
    HWND game = nullptr;
    rig.Loop([&] { return bring(game = FindWindowW(nullptr, L"Stand-in emulator")); });
    ASSERT_TRUE(game != nullptr && GetForegroundWindow() == game);
    if (row.chose_other) {
      rig.Loop([&] { return bring(other); });
      ASSERT_EQ(GetForegroundWindow(), other);
    }
    // Ended as Esc ends it: its window goes with the process, and no window
    // of the system's choice takes the front.
    DWORD pid = 0;
    GetWindowThreadProcessId(game, &pid);
    const win32::UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    ASSERT_TRUE(process && TerminateProcess(process.get(), 1));
    rig.Loop([&] { return !form.Runtime().processes.GameRunning(); });
    // A second and a half of ticks after the game's end.
    const ULONGLONG until = GetTickCount64() + 1500;
    rig.Loop([&] { return GetTickCount64() > until; });
    EXPECT_EQ(GetForegroundWindow() == rig.Launcher(), row.back);
    // Only the window in front has a focus to read.
    const Control* focused = rig.view->FocusedControl();
    if (row.back) {
      EXPECT_EQ(focused != nullptr ? focused->Id() : "", "File1");
    }
  }
  DestroyWindow(other);
}

TEST(Pad, StartUpBoxesCloseWithAOrB) {
  const std::string bin = TestFolder();
  HWND other = MakeOther();
  tavro::test::RunStartUpBoxes(
      bin, [&](const std::string& app) { return std::make_unique<Win32PadRig>(app, bin, other); });
  DestroyWindow(other);
}

}  // namespace
}  // namespace tavro::win32ui::test
