// The game controller as the program reads it: the real services load SDL,
// and a virtual controller made here (SDL shows it only to the process that
// made it) is plugged in, pressed and pulled out again; the services load
// SDL at once here. When SDL comes into a program that has no controller is
// tried in a process of its own, which, as the program, does not link SDL.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "ProbeServices.h"
#include "pad/PadSequences.h"
#include "view/qt/Form1Window.h"
#include "view/qt/QtRoles.h"
#include "TestSupport.h"
#include "desktop/Controller.h"
#include "window/Form1.h"

namespace tavro {
namespace {

using Held = std::vector<std::uint32_t>;

// A vendor and product no real controller has: only the test's own virtual
// controller counts, whatever is plugged into the machine.
constexpr Uint16 kVendor = 0x1209;
constexpr Uint16 kProduct = 0x7a70;

// A virtual controller of the standard layout. Its SDL joystick part is the
// test's own start of SDL; the services start theirs beside it.
class VirtualPad final {
 public:
  VirtualPad() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
      throw std::runtime_error(SDL_GetError());
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.vendor_id = kVendor;
    desc.product_id = kProduct;
    desc.name = "Tavro test pad";
    joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
    if (joystick_ == nullptr)
      throw std::runtime_error(SDL_GetError());
  }
  ~VirtualPad() {
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    SDL_JoystickClose(joystick_);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_JoystickGetDeviceInstanceID(index) == id)
        SDL_JoystickDetachVirtual(index);
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  // Takes effect at SDL's next read of the devices.
  void Set(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }
  void Set(SDL_GameControllerAxis axis, int value) {
    SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(value));
  }

 private:
  SDL_Joystick* joystick_ = nullptr;
};

class ControllerService : public ::testing::Test {
 public:
  static PosixOptions Options() {
    setenv("SDL_GAMECONTROLLER_IGNORE_DEVICES_EXCEPT", "0x1209/0x7a70", 1);
    PosixOptions options;
    options.instance_name = test::UniqueLockName();
    options.display = ":65000";  // no keys of the test's display
    // The virtual controller shows in no device folder.
    options.controller_devices.clear();
    return options;
  }

 protected:
  test::ProbeServices services_{Options()};
};

TEST_F(ControllerService, SeesControllersComeAndGoAndReadsEachButtonByItsSettingsName) {
  EXPECT_EQ(services_.ControllerButtons(), Held{});
  {
    VirtualPad pad;
    ASSERT_EQ(services_.ControllerButtons(), Held{0});
    // The names the settings file's CloseCombo takes, against SDL's buttons.
    struct Case {
      SDL_GameControllerButton button;
      const char* name;
    } const cases[] = {
        {SDL_CONTROLLER_BUTTON_A, "A"},
        {SDL_CONTROLLER_BUTTON_B, "B"},
        {SDL_CONTROLLER_BUTTON_X, "X"},
        {SDL_CONTROLLER_BUTTON_Y, "Y"},
        {SDL_CONTROLLER_BUTTON_BACK, "Back"},
        {SDL_CONTROLLER_BUTTON_GUIDE, "Guide"},
        {SDL_CONTROLLER_BUTTON_START, "Start"},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, "LeftStick"},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, "RightStick"},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "LeftShoulder"},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "RightShoulder"},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "DpUp"},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "DpDown"},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "DpLeft"},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "DpRight"},
        // Buttons beyond the standard layout count as none.
        {SDL_CONTROLLER_BUTTON_MISC1, ""},
        {SDL_CONTROLLER_BUTTON_PADDLE1, ""},
        {SDL_CONTROLLER_BUTTON_TOUCHPAD, ""},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      pad.Set(c.button, true);
      EXPECT_EQ(services_.ControllerButtons(), Held{ParseControllerSettings(c.name, "").combo});
      pad.Set(c.button, false);
    }
    pad.Set(SDL_CONTROLLER_BUTTON_BACK, true);
    pad.Set(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(services_.ControllerButtons(), Held{PadBits({PadButton::kBack, PadButton::kStart})});
  }
  EXPECT_EQ(services_.ControllerButtons(), Held{});
}

TEST_F(ControllerService, BackAndStartHeldForASecondEndTheRunningEmulator) {
  test::TempDir dir;
  const auto exe = test::CopyExecutable("/bin/sleep", dir.path() / "Cemu.exe");
  test::Child emulator({exe.string(), "600"});
  Form1 form(services_);
  form.Settings().FileExe = "Cemu.exe";
  ASSERT_EQ(form.Controller().combo, PadBits({PadButton::kBack, PadButton::kStart}));

  VirtualPad pad;
  pad.Set(SDL_CONTROLLER_BUTTON_BACK, true);
  pad.Set(SDL_CONTROLLER_BUTTON_START, true);
  ASSERT_EQ(services_.ControllerButtons(), Held{PadBits({PadButton::kBack, PadButton::kStart})});
  // The timer's ticks, as the window runs them, up to the last one before
  // the hold is long enough; then that one.
  const int interval = form.Timer1.Interval();
  for (int elapsed = 0; elapsed < form.Controller().hold_ms; elapsed += interval) {
    form.Timer1_Timer();
    std::this_thread::sleep_for(std::chrono::milliseconds(interval));
  }
  EXPECT_FALSE(emulator.Exited());
  form.Timer1_Timer();
  EXPECT_TRUE(emulator.WaitExit());
}

// SDL stays out of the program until a controller shows among the input
// devices, and comes in within one look (2 s) of one showing.
TEST(ControllerGate, LoadsSdlOnlyOnceAControllerShowsAmongTheDevices) {
  test::TempDir devices;
  // What every machine has and no controller is: an event node that is no
  // gamepad (here a file, which answers no device query), the mice node.
  std::ofstream(devices.path() / "event0") << "keyboard";
  std::ofstream(devices.path() / "mice") << "mice";
  test::Child probe({test::HelperPath("controller_gate_probe").string(), devices.path().string()});
  const auto ask = [&probe] {
    probe.Write("\n");
    return probe.ReadLine().value_or("ended");
  };
  EXPECT_EQ(ask(), "absent");
  EXPECT_EQ(ask(), "absent");

  std::ofstream(devices.path() / "js0") << "pad";
  std::string state;
  for (int waited = 0; waited < test::kPatienceMs; waited += 100) {
    state = ask();
    if (state != "absent")
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(state, "loaded");
  probe.CloseInput();
}

// The pad table through the Qt view (offscreen), the program's own services
// reading the virtual pad.
class QtPadRig final : public test::PadRig {
 public:
  QtPadRig(const std::string& app, VirtualPad& pad) : app_(app), pad_(pad) {
    form = &form_;
    view = &window_;
    roles_.dialogs.SetMessageOwner(&window_);
    other_.show();
    window_.show();
    window_.setAttribute(Qt::WA_KeyboardFocusChange, false);  // no focus frame yet
    window_.findChild<QTimer*>("Timer1")->setInterval(20);    // a tick still counts 100 ms
    form_.Timer1.Start();
  }
  void Set(const test::PadStep& step) override {
    QWidget* front = step.in_front ? static_cast<QWidget*>(&window_) : &other_;
    (void)QTest::qWaitFor([&] {
      front->activateWindow();  // not while a message box is in front of the window
      return QApplication::activeWindow() == front || QApplication::activeModalWidget();
    });
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MISC1; ++b) {
      const auto button = static_cast<SDL_GameControllerButton>(b);
      const char* name = SDL_GameControllerGetStringForButton(button);
      pad_.Set(button, (ParseControllerSettings(name, "").combo & step.buttons) != 0);
    }
    pad_.Set(SDL_CONTROLLER_AXIS_LEFTX, step.x);
    pad_.Set(SDL_CONTROLLER_AXIS_LEFTY, -step.y);
  }
  void Loop(const std::function<bool()>& done) override { (void)QTest::qWaitFor(done, 30000); }
  bool FocusShown() override { return window_.testAttribute(Qt::WA_KeyboardFocusChange); }
  void WatchPadWhileLoading(bool on) override { window_.WatchPadWhileLoading(on); }
  void MsgBoxTicking(const std::function<void()>& tick) override {
    int ticks = 0;
    QTimer ticker;  // runs in the message box's loop
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      tick();
      if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && ++ticks == 60) {
        ADD_FAILURE() << "a box left open";
        box->close();
      }
    });
    ticker.start(100);
    form_.Runtime().dialogs.MsgBox("The settings file was set aside.", "Error");
  }

 private:
  std::string app_;
  VirtualPad& pad_;
  QtRoles roles_{ControllerService::Options()};
  test::LibraryProcesses processes_{ControllerService::Options().instance_name, app_};
  Form1 form_{Services{processes_, roles_.disks, roles_.dialogs, roles_.keys, roles_.pictures,
                       roles_.shell_windows}};
  Form1Window window_{form_};
  QWidget other_;
};

// One application for the rest of the process, offscreen.
void MakeApplication() {
  static int argc = 1;
  static char name[] = "tavro_posix_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (QApplication::instance() == nullptr)
    new QApplication(argc, argv);
}

std::string TestFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

TEST_F(ControllerService, PadSequencesThroughTheQtView) {
  MakeApplication();
  VirtualPad pad;
  test::RunPadSequences(TestFolder(), [&pad](const std::string& app) {
    return std::make_unique<QtPadRig>(app, pad);
  });
}

TEST_F(ControllerService, StartUpBoxesCloseWithAOrBThroughTheQtView) {
  MakeApplication();
  VirtualPad pad;
  test::RunStartUpBoxes(TestFolder(), [&pad](const std::string& app) {
    return std::make_unique<QtPadRig>(app, pad);
  });
}

}  // namespace
}  // namespace tavro
