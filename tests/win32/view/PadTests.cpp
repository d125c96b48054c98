// The pad table (tests/pad/PadSequences.h) through the Win32 view, the
// program's own XInput code reading the stand-in library.

#include "ViewFixture.h"
#include "pad/PadSequences.h"
#include "runtime/win32/XInputPads.h"
#include "runtime/win32ui/ControlRows.h"
#include "runtime/win32ui/Wide.h"

namespace tavro::win32ui::test {
namespace {

std::string Bin() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Utf8(std::filesystem::path(path).parent_path());
}

// Another program's window, for every row: made once, and never in front as
// it goes (the desktop left in front costs Wine two seconds).
HWND other = nullptr;

class Win32PadRig final : public tavro::test::PadRig, private Win32UiServices {
 public:
  explicit Win32PadRig(std::string app) : app_(std::move(app)) {
    if (other == nullptr) {
      other = CreateWindowExW(0, L"STATIC", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              900, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    }
    view_.Create();
    view_.Show(SW_SHOWNORMAL);
    form_.Timer1.Start();
    // A tick still counts 100 ms.
    SetTimer(view_.Window(), kFirstControlId + RowOfDesign(form_.Timer1.Design()), 20, nullptr);
    Front(view_.Window());
    SendMessageW(view_.Window(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  }
  ~Win32PadRig() override {
    form_.Timer1.Stop();
    Front(other);
    DestroyWindow(view_.Window());
    Pump(view_);
  }
  std::string AppFolder() const override { return app_; }
  std::vector<std::uint32_t> ControllerButtons() override { return pads_.Buttons(); }
  void MsgBox(const std::string& prompt, int buttons, const std::string& title) override {
    boxes += prompt;
    Win32UiServices::MsgBox(prompt, buttons, title);
  }
  std::vector<WindowHandle> FindShellWindows(ShellWindow) override { return {}; }
  Form1& Form() override { return form_; }
  void Set(const tavro::test::PadStep& step) override {
    Front(step.in_front ? view_.Window() : other);
    WORD buttons = 0;
    for (int bit = 0; bit < 16; ++bit) {
      if (win32::XInputPads::ToPadButtons(static_cast<WORD>(1 << bit)) & step.buttons)
        buttons |= static_cast<WORD>(1 << bit);
    }
    set_pad_(0, TRUE, buttons);
    set_stick_(0, static_cast<SHORT>(step.x), static_cast<SHORT>(step.y));
  }
  void Loop(const std::function<bool()>& done, int most_ms) override {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(most_ms);
    while (!done() && GetTickCount64() < until) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Pump(view_);
    }
  }
  std::string Focused() override {
    const auto row = static_cast<std::size_t>(GetDlgCtrlID(GetFocus()) - kFirstControlId);
    return row < form_.Controls().size() ? form_.Controls()[row]->Id() : "";
  }
  bool FocusShown() override {
    return !(SendMessageW(view_.Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  }
  bool CloseBoxLeftOpen() override {
    HWND front = GetForegroundWindow();
    if (front == view_.Window() || GetAncestor(front, GA_ROOTOWNER) != view_.Window())
      return false;
    PostMessageW(front, WM_COMMAND, IDCANCEL, 0);
    return true;
  }

 private:
  // Not while the window's own message box is in front of it.
  void Front(HWND window) {
    for (int i = 0; i < 100 && GetAncestor(GetForegroundWindow(), GA_ROOTOWNER) != window; ++i) {
      SetForegroundWindow(window);
      Loop([] { return false; }, 10);
    }
  }
  template <typename F>
  F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(stand_in_, name)));
  }
  std::string app_;
  // The stand-in, loaded here as by the services' own code: one module.
  std::wstring library_ = Widen(Bin() + "\\tavro_xinput_standin.dll");
  win32::XInputPads pads_{library_, 0, nullptr};
  HMODULE stand_in_ = LoadLibraryW(library_.c_str());
  void (*set_pad_)(DWORD, BOOL, WORD) = Export<void (*)(DWORD, BOOL, WORD)>("StandInSetPad");
  void (*set_stick_)(DWORD, SHORT,
                     SHORT) = Export<void (*)(DWORD, SHORT, SHORT)>("StandInSetStick");
  Form1 form_{*this};
  MainWindow view_{form_, *this, ViewOptions{false}};
};

TEST(Pad, SequencesThroughTheWin32View) {
  tavro::test::RunPadSequences(Bin());
}

}  // namespace
}  // namespace tavro::win32ui::test

namespace tavro::test {
std::unique_ptr<PadRig> MakePadRig(const std::string& app) {
  return std::make_unique<win32ui::test::Win32PadRig>(app);
}
}  // namespace tavro::test
