// The launcher back in front after a game the pad started, through the Qt
// view on a real X server and window manager: an Xvfb and an openbox of the
// test's own, so nothing else on the suite's display moves its windows.
// While the stand-in emulator runs, a window of the test's holds the front:
// one that stands for the game's own (its _NET_WM_PID is the stand-in's, so
// it is a dead program's window once the stand-in ends), or one the player
// chose (a live program's).
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ProbeServices.h"
#include "TestSupport.h"
#include "view/qt/Form1Window.h"
#include "view/qt/QtRoles.h"
#include "window/Form1.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tavro {
namespace {

namespace fs = std::filesystem;

// The pad's buttons as the test sets them; the keyboard is the real one.
class ScriptedPad final : public Keys {
 public:
  explicit ScriptedPad(Keys& keys) : keys_(keys) {}
  KeyState Key(HotKey key) override { return keys_.Key(key); }
  std::vector<std::uint32_t> ControllerButtons() override { return {held}; }
  std::uint32_t held = 0;

 private:
  Keys& keys_;
};

// The test's own connection: it reads the front and asks for it as a
// taskbar would on a click.
class Desk final {
 public:
  Desk() : x_(XOpenDisplay(nullptr)) {}
  ~Desk() { XCloseDisplay(x_); }
  Desk(const Desk&) = delete;
  Desk& operator=(const Desk&) = delete;
  bool Open() const { return x_ != nullptr; }

  // A property's first 32-bit value; 0 when none.
  unsigned long Value(Window window, const char* name, Atom type) {
    Atom got = None;
    int format = 0;
    unsigned long count = 0, after = 0, value = 0;
    unsigned char* data = nullptr;
    if (window != None &&
        XGetWindowProperty(x_, window, XInternAtom(x_, name, False), 0, 1, False, type, &got,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1)
      value = *reinterpret_cast<unsigned long*>(data);
    XFree(data);
    return value;
  }
  Window Active() { return Value(DefaultRootWindow(x_), "_NET_ACTIVE_WINDOW", XA_WINDOW); }
  pid_t PidOf(Window w) { return static_cast<pid_t>(Value(w, "_NET_WM_PID", XA_CARDINAL)); }
  bool WindowManagerUp() {
    return Value(DefaultRootWindow(x_), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) != 0;
  }
  void Activate(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x_, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    XSendEvent(x_, DefaultRootWindow(x_), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XSync(x_, False);
  }
  // A top-level window claiming to be the program pid's.
  Window Make(pid_t pid) {
    const Window w = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 40, 40, 200, 100, 0, 0, 0);
    const long value = pid;
    XChangeProperty(x_, w, XInternAtom(x_, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    XMapWindow(x_, w);
    XSync(x_, False);
    return w;
  }
  void Destroy(Window w) {
    XDestroyWindow(x_, w);
    XSync(x_, False);
  }

 private:
  Display* x_;
};

// The process running the program at path; 0 when none.
pid_t ProcessOf(const fs::path& path) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::error_code error;
    if (fs::read_symlink(entry.path() / "exe", error) == path)
      return static_cast<pid_t>(std::stol(entry.path().filename().string()));
  }
  return 0;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  return QTest::qWaitFor(done, ms);
}

TEST(BackToFront, AfterAGameThePadStartedUnlessThePlayerChoseAnotherWindow) {
  // A display and a window manager of the test's own.
  test::Child xvfb(
      {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
  const auto number = xvfb.ReadLine();
  ASSERT_TRUE(number && !number->empty());
  setenv("DISPLAY", (":" + *number).c_str(), 1);
  test::Child openbox({"/usr/bin/openbox", "--sm-disable"});
  Desk desk;
  ASSERT_TRUE(desk.Open());
  ASSERT_TRUE(WaitFor([&] { return desk.WindowManagerUp(); }, 10000));
  static int argc = 1;
  static char name[] = "tavro_front_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);

  test::TempDir folder;
  const fs::path library = folder.path();
  fs::create_directories(library / "Game");
  fs::create_directories(library / "Emulator");
  std::ofstream(library / "Game" / "Alpha.wud") << "";
  const fs::path stand_in = library / "Emulator" / "FrontStandIn";
  fs::copy_file(fs::read_symlink("/proc/self/exe").parent_path() / "stand-in" / "Cemu.exe",
                stand_in);

  PosixOptions options;
  options.instance_name = test::UniqueLockName();
  options.controller_devices.clear();
  QtRoles roles{options};
  test::LibraryProcesses processes{options.instance_name, library.string()};
  ScriptedPad pad{roles.keys};
  Form1 form{
      Services{processes, roles.disks, roles.dialogs, pad, roles.pictures, roles.shell_windows}};
  Form1Window window{form};
  roles.dialogs.SetMessageOwner(&window);
  form.Settings() = {"-g",
                     "-f -g",
                     "FrontStandIn",
                     (library / "Game").string(),
                     (library / "Game").string(),
                     {},
                     {},
                     {},
                     {}};
  form.Dir1.SetPath((library / "Game").string());
  window.findChild<QTimer*>("Timer1")->setInterval(20);
  window.show();
  form.Timer1.Start();
  const auto launcher = static_cast<Window>(window.winId());
  // A tick with the buttons held, then one with none.
  auto press = [&](std::uint32_t buttons) {
    for (const std::uint32_t held : {0u, buttons, 0u}) {
      pad.held = held;
      QTest::qWait(60);
    }
  };

  const struct {
    const char* what;
    bool by_pad;
    bool games_window;  // false: a live program's, one the player chose
    bool back;
  } table[] = {
      {"the pad's game ends: back, the focus where it was", true, true, true},
      {"the player chose another window: it keeps the front", true, false, false},
      {"a game started with the mouse: nothing moves", false, true, false},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    desk.Activate(launcher);
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 5000));
    press(PadBits({PadButton::kX}));  // the first press brings the focus to the games
    press(PadBits({PadButton::kDpadDown}));
    ASSERT_EQ(form.File1.FileName(), "Alpha.wud");
    if (row.by_pad) {
      press(PadBits({PadButton::kA}));
    } else {
      view::Click(form, form.Command1);
    }
    pid_t game = 0;
    ASSERT_TRUE(WaitFor([&] { return (game = ProcessOf(stand_in)) != 0; }, 5000));
    // The stand-in's own window takes the front first, as a game's does.
    ASSERT_TRUE(WaitFor([&] { return desk.PidOf(desk.Active()) == game; }, 5000));
    const Window other = desk.Make(row.games_window ? game : getpid());
    desk.Activate(other);
    ASSERT_TRUE(WaitFor([&] { return desk.Active() == other && !window.isActiveWindow(); }, 5000));
    kill(game, SIGTERM);
    const bool back = WaitFor([&] { return window.isActiveWindow(); }, row.back ? 5000 : 1500);
    EXPECT_EQ(back, row.back);
    EXPECT_EQ(desk.Active() == launcher, row.back);
    EXPECT_EQ(window.focusWidget(), window.ObjectOf(form.File1));
    EXPECT_FALSE(processes.GameRunning());
    desk.Destroy(other);
  }
  window.close();
}

}  // namespace
}  // namespace tavro
