// The pad table (tests/pad/PadSequences.h) through the Win32 view, read by
// the program's own XInput code from the stand-in library.

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

class PadServices final : public Win32UiServices {
 public:
  explicit PadServices(std::string app) : app_(std::move(app)) {}
  std::string AppFolder() const override { return app_; }
  std::vector<std::uint32_t> ControllerButtons() override { return pads_.Buttons(); }
  void MsgBox(const std::string& prompt, int buttons, const std::string& title) override {
    boxes.push_back(prompt);
    Win32UiServices::MsgBox(prompt, buttons, title);
  }
  std::vector<WindowHandle> FindShellWindows(ShellWindow) override { return {}; }
  std::vector<std::string> boxes;

 private:
  std::string app_;
  win32::XInputPads pads_{Widen(Bin() + "\\tavro_xinput_standin.dll"), 0, nullptr};
};

// Another program's window, for all rows: made once, and never in front as it
// goes (the desktop left in front costs Wine two seconds).
HWND other_ = nullptr;

class Win32PadRig final : public tavro::test::PadRig {
 public:
  explicit Win32PadRig(const std::string& app) : services_(app) {
    if (other_ == nullptr) {
      other_ = CreateWindowExW(0, L"STATIC", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               900, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    }
    view_.Create();
    view_.Show(SW_SHOWNORMAL);
    form_.Timer1.Start();
    // Each tick still counts 100 ms.
    SetTimer(view_.Window(), kFirstControlId + RowOfDesign(form_.Timer1.Design()), 20, nullptr);
    Front(view_.Window());
    SendMessageW(view_.Window(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  }
  ~Win32PadRig() override {
    form_.Timer1.Stop();
    Front(other_);
    DestroyWindow(view_.Window());
    Pump(view_);
    FreeLibrary(stand_in_);
  }
  Form1& Form() override { return form_; }
  void Set(const tavro::test::PadStep& step) override {
    if (!BoxOpen())
      Front(step.in_front ? view_.Window() : other_);
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
    const int row = GetDlgCtrlID(GetFocus()) - kFirstControlId;
    return row >= 0 && row < static_cast<int>(form_.Controls().size())
               ? form_.Controls()[static_cast<std::size_t>(row)]->Id()
               : "";
  }
  bool FocusShown() override {
    return !(SendMessageW(view_.Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  }
  bool CloseBoxLeftOpen() override {
    if (!BoxOpen())
      return false;
    PostMessageW(GetForegroundWindow(), WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  const std::vector<std::string>& Boxes() override { return services_.boxes; }
  std::string Record(const std::string& mode, const std::string& game) override {
    return services_.AppFolder() + "\\Emulator\\" + tavro::test::kStandIn + " " + mode + " \"" +
           game + "\"\r\n";
  }

 private:
  bool BoxOpen() const {
    HWND front = GetForegroundWindow();
    return front != view_.Window() && GetAncestor(front, GA_ROOTOWNER) == view_.Window();
  }
  void Front(HWND window) {
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) {
      SetForegroundWindow(window);
      Loop([] { return false; }, 10);
    }
  }
  template <typename F>
  F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(stand_in_, name)));
  }
  PadServices services_;
  Form1 form_{services_};
  MainWindow view_{form_, services_, ViewOptions{false}};
  // The same module as the services load: what is set here, they read.
  HMODULE stand_in_ = LoadLibraryW(Widen(Bin() + "\\tavro_xinput_standin.dll").c_str());
  void (*set_pad_)(DWORD, BOOL, WORD) = Export<void (*)(DWORD, BOOL, WORD)>("StandInSetPad");
  void (*set_stick_)(DWORD, SHORT,
                     SHORT) = Export<void (*)(DWORD, SHORT, SHORT)>("StandInSetStick");
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
