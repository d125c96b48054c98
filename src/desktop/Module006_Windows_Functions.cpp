#include "desktop/Module006_Windows_Functions.h"

namespace tavro {

namespace {
constexpr int kShowNormal = 5;
constexpr int kHide = 0;
}  // namespace

void SetDesktopVisible(Services& services, Boolean visible) {
  for (const auto window : services.FindShellWindows(ShellWindow::kDesktop)) {
    services.ShowShellWindow(window, visible != kFalse ? kShowNormal : kHide);
    services.EnableShellWindow(window, visible != kFalse);
  }
}

void SetTaskbarVisible(Services& services, Boolean visible) {
  for (const auto window : services.FindShellWindows(ShellWindow::kTaskbar)) {
    services.ShowShellWindow(window, visible != kFalse ? kShowNormal : kHide);
  }
}

}  // namespace tavro
