// Tavro FrontEnd for Windows: services, the form, its view; then Form_Load,
// and the window is shown.

#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "runtime/win32/BoxText.h"
#include "runtime/win32/ProcessGuards.h"
#include "runtime/win32/ShellWatcher.h"
#include "runtime/win32/SystemCalls.h"
#include "runtime/win32/SystemLibraries.h"
#include "view/win32/MainWindow.h"
#include "view/win32/Wide.h"
#include "view/win32/Win32UiServices.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // Before any call of SystemCalls.h: no library beside the program loads.
  tavro::win32::LoadLibrariesFromSystemFolderOnly();
  // Started as the watcher's go-between or as the watcher (when the
  // watcher's own program is missing, the launcher's stands in).
  if (const int status = tavro::win32::RunAsShellWatcher(); status >= 0)
    return status;
  tavro::win32::GuardProcess();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  tavro::win32::sys::InitCommonControlsEx(&controls);
  try {
    tavro::win32ui::Win32Roles roles(tavro::win32::ShellWatcherProgram());
    tavro::Form1 form(roles.All());
    tavro::win32ui::MainWindow window(form, roles);
    window.Create();
    // Form_Load may show message boxes (owned by the hidden window) or end
    // the process; whatever escapes it is reported and the window opens.
    window.WatchPadWhileLoading(true);
    tavro::view::LoadAndShow(form, [&window, show] {
      window.WatchPadWhileLoading(false);
      window.Show(show);
    });
    return window.RunMessageLoop();
  } catch (const std::exception& e) {
    // Only the start can fail this way: the window or its pictures could not
    // be made.
    MessageBoxW(nullptr, tavro::win32ui::Widen(tavro::win32::FitTextForBox(e.what(), nullptr)).c_str(), L"Tavro FrontEnd",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
