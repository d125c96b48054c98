// A start that fails before the window exists: the real program, started
// where it can open no window or cannot know its own folder, says so, ends
// with an exit code instead of a crash and makes nothing anywhere.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <sys/stat.h>

#include <chrono>
#include <set>
#include <thread>

#include "TestDisplay.h"
#include "TestSupport.h"

namespace tavro {
namespace {

namespace fs = test::fs;
using namespace std::chrono_literals;

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A window on the test's display with this title, mapped; None when none.
Window MappedWindowTitled(const test::TestDisplay& x, const std::string& title) {
  Window root = None;
  Window parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  Window found = None;
  if (XQueryTree(x.get(), x.Root(), &root, &parent, &children, &count) == 0)
    return None;
  for (unsigned int i = 0; i < count && found == None; ++i) {
    char* name = nullptr;
    if (XFetchName(x.get(), children[i], &name) != 0 && name != nullptr) {
      if (title == name && x.MapState(children[i]) == IsViewable)
        found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr)
    XFree(children);
  return found;
}

// What the window manager's close button sends.
void AskToClose(const test::TestDisplay& x, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x.get(), "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x.get(), "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(x.get(), window, False, NoEventMask, &event);
  XSync(x.get(), False);
}

// Every process running the program copied to exe.
void EndEvery(const fs::path& exe) {
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code link_error;
    if (fs::read_symlink(it->path() / "exe", link_error) == exe)
      kill(std::stoi(it->path().filename().string()), SIGKILL);
  }
}

TEST(StartFaults, AFailedStartIsReportedEndsWithAnExitCodeAndMakesNothing) {
  test::TestDisplay x;
  ASSERT_NE(x.get(), nullptr) << "needs an X display: run under xvfb-run -a";
  // Each runs the program ($2) from an empty working folder ($1) and prints
  // its exit code: once a PosixServices has existed in this process the
  // kernel reaps its children, and a code is lost unless a shell keeps it.
  struct Case {
    const char* name;
    const char* script;
    const char* says;
    bool box;  // a message box can be shown, and must be closed
  } const cases[] = {
      {"no display to open a window on",
       "cd \"$1\" && env -u WAYLAND_DISPLAY DISPLAY=:65001 QT_QPA_PLATFORM=xcb \"$2\" 2>&1;"
       " echo \"exit=$?\"",
       "Tavro FrontEnd: The window cannot be opened.", false},
      // A user and mount namespace of its own, /proc covered by an empty
      // folder: /proc/self/exe cannot be read.
      {"no /proc",
       "unshare -rm sh -c 'mount -t tmpfs tavro-no-proc /proc && echo namespace-ready &&"
       " cd \"$1\" && QT_QPA_PLATFORM=xcb \"$2\" 2>&1; echo \"exit=$?\"' sh \"$1\" \"$2\" 2>&1",
       "Tavro FrontEnd: The program's own folder cannot be found: /proc/self/exe", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir app;
    test::TempDir cwd;
    const fs::path exe =
        test::CopyExecutable(test::HelperPath("Tavro_FrontEnd"), app.path() / "Tavro_FrontEnd");
    test::Child shell({"/bin/sh", "-c", c.script, "sh", cwd.path().string(), exe.string()});

    // A close that comes as the box first maps may be lost: asked again
    // until the program ends.
    bool box_seen = false;
    if (c.box) {
      const auto deadline = std::chrono::steady_clock::now() + 1ms * test::kPatienceMs;
      while (!shell.Exited() && std::chrono::steady_clock::now() < deadline) {
        const Window box = MappedWindowTitled(x, "Tavro FrontEnd");
        if (box != None) {
          AskToClose(x, box);
          box_seen = true;
        }
        std::this_thread::sleep_for(50ms);
      }
    }
    const std::string output = shell.ReadAll();
    EndEvery(exe);  // only after a failure: the program is gone by now
    if (c.box && output.find("namespace-ready") == std::string::npos)
      GTEST_SKIP() << "no user and mount namespace here: " << output;

    EXPECT_EQ(c.box, box_seen);
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
    EXPECT_NE(output.find("exit=1\n"), std::string::npos) << output;
    EXPECT_EQ(Listing(cwd.path()), std::set<std::string>{});
    EXPECT_EQ(Listing(app.path()), std::set<std::string>{"Tavro_FrontEnd"});
  }
}

TEST(StartFaults, SigtermEndsTheStartAtAnyPoint) {
  test::TestDisplay x;
  ASSERT_NE(x.get(), nullptr) << "needs an X display: run under xvfb-run -a";
  // The settings file: none (the signal comes at once), a FIFO (the start
  // blocks in open() before any window, or shows the load's message), one
  // whose load fails (its message box).
  for (const std::string settings : {"", "fifo", "[TavroFrontEndCnfig]\r\nDirWudWux=/none\r\n"}) {
    SCOPED_TRACE(settings);
    test::TempDir app;
    const fs::path exe =
        test::CopyExecutable(test::HelperPath("Tavro_FrontEnd"), app.path() / "Tavro_FrontEnd");
    const auto ini = app.path() / "Tavro_FrontEnd.ini";
    if (settings == "fifo")
      mkfifo(ini.c_str(), 0600);
    else if (!settings.empty())
      std::ofstream(ini) << settings;
    // The shell keeps the exit status (see above).
    test::Child shell({"/bin/sh", "-c", "QT_QPA_PLATFORM=xcb \"$1\" & echo $!; wait $!; echo $?",
                       "sh", exe.string()});
    const pid_t pid = std::stoi(shell.ReadLine().value_or("0"));
    ASSERT_GT(pid, 0);
    const auto wchan = "/proc/" + std::to_string(pid) + "/wchan";
    const auto deadline = std::chrono::steady_clock::now() + 1ms * test::kPatienceMs;
    while (!settings.empty() && test::ReadFile(wchan) != "wait_for_partner" &&
           MappedWindowTitled(x, "Error") == None && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(20ms);
    kill(pid, SIGTERM);
    EXPECT_EQ(shell.ReadLine().value_or("still running"), std::to_string(128 + SIGTERM));
    EndEvery(exe);
  }
}

}  // namespace
}  // namespace tavro
