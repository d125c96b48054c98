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
  if (HWND desktop = FindWindowW(kDesktopClass, kDesktopTitle)) {
    ShowWindow(desktop, SW_SHOW);
    EnableWindow(desktop, TRUE);
  }
  if (HWND taskbar = FindWindowW(kTaskbarClass, kTaskbarTitle))
    ShowWindow(taskbar, SW_SHOW);
}

void GuardProcess() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
  previous_filter = SetUnhandledExceptionFilter(&OnUnhandledException);
  std::set_terminate(&OnTerminate);
}

}  // namespace tavro::win32
