// The desktop and taskbar come back however the launcher ends: the real
// program, started in a fresh folder, hides a dock window made here (its
// global key 8), and is then ended by a signal.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "TestDisplay.h"
#include "TestSupport.h"
#include "runtime/posix/ShellWatcher.h"

namespace tavro {
namespace {

namespace fs = test::fs;
using namespace std::chrono_literals;

// Waits until done() holds; false when patience runs out first.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds patience = std::chrono::milliseconds(test::kPatienceMs)) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// The watchers started by the program at exe: their argv[1] names the role.
std::vector<int> WatchersOf(const fs::path& exe) {
  std::vector<int> pids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string cmdline = test::ReadFile(it->path() / "cmdline");
    std::error_code link_error;
    if (fs::read_symlink(it->path() / "exe", link_error) == exe &&
        cmdline.find(std::string(kShellWatcherArgument) + '\0') != std::string::npos) {
      pids.push_back(std::stoi(it->path().filename().string()));
    }
  }
  return pids;
}

TEST(Restore, DockHiddenByTheLauncherComesBackAfterSigtermAndSigkill) {
  test::TestDisplay x;
  ASSERT_NE(x.get(), nullptr) << "needs an X display: run under xvfb-run -a";
  struct Case {
    int signal_number;
    // The normal unload shows every dock; the watcher only what it hid.
    int idle_dock_after;
  } const cases[] = {{SIGTERM, IsViewable}, {SIGKILL, IsUnmapped}};

  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.signal_number));
    const Window dock = x.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true);
    const Window idle_dock = x.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, false);
    test::TempDir app;
    const fs::path exe =
        test::CopyExecutable(test::HelperPath("Tavro_FrontEnd"), app.path() / "Tavro_FrontEnd");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    test::Child launcher({exe.string()});
    unsetenv("QT_QPA_PLATFORM");

    // 8 toggles the taskbar, and the first press hides it. The key counts
    // once the window is up and its timer polls, so press until it acts.
    bool hidden = false;
    for (int attempt = 0; attempt < 10 && !hidden && !launcher.Exited(); ++attempt) {
      x.Key(XK_8, true);
      x.Key(XK_8, false);
      hidden = WaitFor([&] { return x.MapState(dock) == IsUnmapped; }, 2s);
    }
    ASSERT_FALSE(launcher.Exited()) << "the launcher ended at start (another one running?)";
    ASSERT_TRUE(hidden) << "key 8 never hid the dock";
    ASSERT_EQ(x.MapState(idle_dock), IsUnmapped);

    kill(launcher.pid(), c.signal_number);
    ASSERT_TRUE(launcher.WaitExit());
    EXPECT_TRUE(WaitFor([&] { return x.MapState(dock) == IsViewable; }));
    // The watcher does its one job and goes.
    EXPECT_TRUE(WaitFor([&] { return WatchersOf(exe).empty(); }));
    EXPECT_EQ(x.MapState(idle_dock), c.idle_dock_after);
    x.Destroy(dock);
    x.Destroy(idle_dock);
  }
}

}  // namespace
}  // namespace tavro
