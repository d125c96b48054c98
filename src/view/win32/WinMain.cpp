// Tavro FrontEnd for Windows: services, the form, its view; then Form_Load,
// and the window is shown.

#include <windows.h>
#include <commctrl.h>

#include <shellapi.h>

#include <cwchar>
#include <exception>

#include "runtime/win32/ProcessGuards.h"
#include "runtime/win32/ShellWatcher.h"
#include "view/win32/MainWindow.h"
#include "view/win32/Wide.h"
#include "view/win32/Win32UiServices.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace {

// The program started as the watcher of a launcher's desktop and taskbar:
// its argument vector, else none.
int RunAsWatcher() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  int status = -1;
  if (args != nullptr && count == 5 &&
      std::wcscmp(args[1], tavro::win32::kShellWatcherArgument) == 0)
    status = tavro::win32::RunShellWatcher(args[2], args[3], args[4]);
  LocalFree(args);
  return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  if (const int status = RunAsWatcher(); status >= 0)
    return status;
  tavro::win32::GuardProcess();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    tavro::win32ui::Win32UiServices services;
    tavro::Form1 form(services);
    tavro::win32ui::MainWindow window(form, services);
    window.Create();
    // Form_Load may show message boxes (owned by the hidden window) or end
    // the process; whatever escapes it is reported and the window opens.
    tavro::view::LoadAndShow(form, [&window, show] { window.Show(show); });
    return window.RunMessageLoop();
  } catch (const std::exception& e) {
    // Only the start can fail this way: the window or its pictures could not
    // be made.
    MessageBoxW(nullptr, tavro::win32ui::Widen(e.what()).c_str(), L"Tavro FrontEnd",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
