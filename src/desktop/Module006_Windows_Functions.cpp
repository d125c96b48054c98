#include "desktop/Module006_Windows_Functions.h"

namespace tavro {

void SetDesktopVisible(ShellWindows& shell, bool visible) {
  for (const auto window : shell.FindShellWindows(ShellWindow::kDesktop)) {
    shell.ShowShellWindow(window, visible);
    shell.EnableShellWindow(window, visible);
  }
}

void SetTaskbarVisible(ShellWindows& shell, bool visible) {
  for (const auto window : shell.FindShellWindows(ShellWindow::kTaskbar))
    shell.ShowShellWindow(window, visible);
}

}  // namespace tavro
