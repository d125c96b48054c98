#include "runtime/win32/ProcessGuards.h"

#include <windows.h>

#include <cstdlib>
#include <exception>

namespace tavro::win32 {

namespace {

// The filter in place before ours (the C runtime's), still asked after us.
LPTOP_LEVEL_EXCEPTION_FILTER previous_filter = nullptr;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
  ShowShellWindowsAgain();
  return previous_filter != nullptr ? previous_filter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void OnTerminate() {
  ShowShellWindowsAgain();
  std::abort();
}

}  // namespace

void ShowShellWindowsAgain() noexcept {
  // Nothing here may wait on a shell that stopped answering: a crashing
  // process that hangs keeps the single-instance lock. Showing is posted;
  // EnableWindow waits for the window's answer, so it is made only once the
  // window has just answered, and the watcher enables what is left.
  if (HWND desktop = FindWindowW(kDesktopClass, kDesktopTitle)) {
    ShowWindowAsync(desktop, SW_SHOW);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(desktop, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &answer))
      EnableWindow(desktop, TRUE);
  }
  if (HWND taskbar = FindWindowW(kTaskbarClass, kTaskbarTitle))
    ShowWindowAsync(taskbar, SW_SHOW);
}

void GuardProcess() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
  previous_filter = SetUnhandledExceptionFilter(&OnUnhandledException);
  std::set_terminate(&OnTerminate);
}

}  // namespace tavro::win32
