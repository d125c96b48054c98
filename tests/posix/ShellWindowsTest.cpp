// The desktop and the dock (taskbar) on a real X server: windows of those
// EWMH types made here, found, hidden and shown by the services and by the
// procedures the hotkeys and the unload use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "TestDisplay.h"
#include "desktop/Module006_Windows_Functions.h"
#include "ProbeServices.h"

namespace tavro {
namespace {

using Handles = std::vector<WindowHandle>;

Handles Sorted(Handles handles) {
  std::sort(handles.begin(), handles.end());
  return handles;
}

class ShellWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(x_.get(), nullptr) << "needs an X display: run under xvfb-run -a";
  }
  test::TestDisplay x_;
  test::ProbeServices services_;
};

TEST_F(ShellWindowsTest, FindsExactlyTheDesktopAndDockWindowsMappedOrNot) {
  const Window desktop = x_.Make({"_NET_WM_WINDOW_TYPE_DESKTOP"}, true);
  const Window dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true);
  const Window hidden_dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, false);
  const Window two_types =
      x_.Make({"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_DOCK"}, true);
  // A window manager's frame around a dock.
  const Window frame = x_.Make({}, true);
  const Window framed_dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true, frame);
  x_.Make({"_NET_WM_WINDOW_TYPE_NORMAL"}, true);
  x_.Make({"_NET_WM_WINDOW_TYPE_DIALOG"}, false);

  EXPECT_EQ(services_.FindShellWindows(ShellWindow::kDesktop), Handles{desktop});
  EXPECT_EQ(Sorted(services_.FindShellWindows(ShellWindow::kTaskbar)),
            Sorted({dock, hidden_dock, two_types, framed_dock}));
}

TEST_F(ShellWindowsTest, CommandZeroUnmapsAndFiveMapsAgain) {
  const Window dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true);
  ASSERT_EQ(x_.MapState(dock), IsViewable);
  services_.ShowShellWindow(dock, false);
  EXPECT_EQ(x_.MapState(dock), IsUnmapped);
  services_.ShowShellWindow(dock, false);
  EXPECT_EQ(x_.MapState(dock), IsUnmapped);
  services_.ShowShellWindow(dock, true);
  EXPECT_EQ(x_.MapState(dock), IsViewable);
  services_.EnableShellWindow(dock, false);  // no such flag on X: no effect
  EXPECT_EQ(x_.MapState(dock), IsViewable);
}

TEST_F(ShellWindowsTest, DesktopAndTaskbarProceduresActOnTheirOwnWindows) {
  const Window desktop = x_.Make({"_NET_WM_WINDOW_TYPE_DESKTOP"}, true);
  const Window dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true);
  const Window frame = x_.Make({}, true);
  const Window framed_dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true, frame);
  const Window normal = x_.Make({"_NET_WM_WINDOW_TYPE_NORMAL"}, true);

  SetDesktopVisible(services_, false);
  EXPECT_EQ(x_.MapState(desktop), IsUnmapped);
  EXPECT_EQ(x_.MapState(dock), IsViewable);

  SetTaskbarVisible(services_, false);
  EXPECT_EQ(x_.MapState(dock), IsUnmapped);
  EXPECT_EQ(x_.MapState(framed_dock), IsUnmapped);
  EXPECT_EQ(x_.MapState(frame), IsViewable);

  // Hidden windows are found again to be shown (the unload shows both).
  SetDesktopVisible(services_, true);
  SetTaskbarVisible(services_, true);
  EXPECT_EQ(x_.MapState(desktop), IsViewable);
  EXPECT_EQ(x_.MapState(dock), IsViewable);
  EXPECT_EQ(x_.MapState(framed_dock), IsViewable);
  EXPECT_EQ(x_.MapState(normal), IsViewable);
}

TEST_F(ShellWindowsTest, NoDesktopOrDockMeansNothingIsDone) {
  const Window normal = x_.Make({"_NET_WM_WINDOW_TYPE_NORMAL"}, true);
  EXPECT_TRUE(services_.FindShellWindows(ShellWindow::kDesktop).empty());
  EXPECT_TRUE(services_.FindShellWindows(ShellWindow::kTaskbar).empty());
  SetDesktopVisible(services_, false);
  SetTaskbarVisible(services_, false);
  EXPECT_EQ(x_.MapState(normal), IsViewable);
}

TEST_F(ShellWindowsTest, WindowGoneBetweenFindAndShowIsNoError) {
  const Window doomed = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true);
  const Window dock = x_.Make({"_NET_WM_WINDOW_TYPE_DOCK"}, true);
  const Handles found = services_.FindShellWindows(ShellWindow::kTaskbar);
  ASSERT_EQ(found.size(), 2u);
  x_.Destroy(doomed);

  // Xlib's default error handler would end the whole program here.
  for (const WindowHandle w : found)
    services_.ShowShellWindow(w, false);
  EXPECT_EQ(x_.MapState(dock), IsUnmapped);
  services_.ShowShellWindow(doomed, true);
  services_.EnableShellWindow(doomed, true);
  services_.ShowShellWindow(dock, true);
  EXPECT_EQ(x_.MapState(dock), IsViewable);
}

// Without a display the services report nothing and do nothing.
TEST(NoDisplay, FindsNothingAndSeesNoKeys) {
  PosixOptions options;
  options.display = ":65000";
  test::ProbeServices unreachable(options);
  EXPECT_TRUE(unreachable.FindShellWindows(ShellWindow::kTaskbar).empty());
  EXPECT_FALSE(unreachable.Key(HotKey::kEscape).down || unreachable.Key(HotKey::kEscape).pressed);
  unreachable.ShowShellWindow(1, false);
  SetDesktopVisible(unreachable, false);

  const char* display = std::getenv("DISPLAY");
  const std::string saved = display != nullptr ? display : "";
  unsetenv("DISPLAY");
  test::ProbeServices unset;
  EXPECT_TRUE(unset.FindShellWindows(ShellWindow::kDesktop).empty());
  EXPECT_FALSE(unset.Key(HotKey::kNine).down || unset.Key(HotKey::kNine).pressed);
  if (display != nullptr)
    setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace tavro
