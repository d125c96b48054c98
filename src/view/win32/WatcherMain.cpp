// Tavro_ShellWatcher.exe: the watcher that shows the desktop and the
// taskbar again should the launcher be ended by force, and its go-between
// (runtime/win32/ShellWatcher.h). A program of its own, under a name of its
// own: ending the launcher by its image name leaves it running.

#include <windows.h>

#include "runtime/win32/ShellWatcher.h"
#include "runtime/win32/SystemLibraries.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tavro::win32::LoadLibrariesFromSystemFolderOnly();
  const int status = tavro::win32::RunAsShellWatcher();
  // Started by hand, with nothing to watch.
  return status >= 0 ? status : 2;
}
