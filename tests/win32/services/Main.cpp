// The test program, and the child roles the tests start it in.
#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "desktop/Module006_Windows_Functions.h"
#include "runtime/win32/ProcessGuards.h"
#include "runtime/win32/ShellWatcher.h"

// After windows.h, which TestSupport.h brings.
#include <shellapi.h>

namespace tavro::test {

namespace {

UniqueKernelHandle OpenNamedEvent(const std::string& name) {
  if (name == "-")
    return {};
  return UniqueKernelHandle(
      OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, Wide(name).c_str()));
}

// The arguments in full Unicode (main's argv went through the ANSI code page).
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 0; args && i < count; ++i)
    out.push_back(Utf8(args[i]));
  if (args)
    LocalFree(args);
  return out;
}

// --instance START DONE RELEASE: waits for START, asks PreviousInstance, sets
// DONE, holds the lock until RELEASE, and exits with 1 (another instance
// runs) or 0. "-" skips an event.
int InstanceChild(const std::vector<std::string>& args) {
  const UniqueKernelHandle start = OpenNamedEvent(args[2]);
  const UniqueKernelHandle done = OpenNamedEvent(args[3]);
  const UniqueKernelHandle release = OpenNamedEvent(args[4]);
  if (start)
    WaitForSingleObject(start.get(), INFINITE);
  TestServices services;
  const bool previous = services.PreviousInstance();
  if (done)
    SetEvent(done.get());
  if (release)
    WaitForSingleObject(release.get(), INFINITE);
  return previous ? 1 : 0;
}

// --end: End must end the process at once with code 0.
int EndChild() {
  TestServices services;
  services.End();
  return 3;  // never reached unless End returned
}

// What comes after the program's own filter, in place of the system's crash
// box or debugger: the process ends at once with the exception's code.
LONG WINAPI EndQuietly(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// --crash HOW: the program's process guards, then a crash: "access" (an
// access violation) or "terminate" (an exception nobody catches).
int CrashChild(const std::string& how) {
  SetUnhandledExceptionFilter(&EndQuietly);
  win32::GuardProcess();
  if (how == "access") {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  } else {
    std::terminate();
  }
  return 0;
}

// --hide READY: the desktop and the taskbar hidden through roles whose
// watcher is this program, then READY is set and the process waits to be
// ended by force.
int HideChild(const std::string& ready) {
  TestServices services(Wide(SelfPath()));
  SetDesktopVisible(services, false);
  SetTaskbarVisible(services, false);
  if (const UniqueKernelHandle event = OpenNamedEvent(ready))
    SetEvent(event.get());
  Sleep(INFINITE);
  return 0;
}

// --app-folder FILE: writes AppFolder to FILE (UTF-8).
int AppFolderChild(const std::string& file) {
  TestServices services;
  WriteFileBytes(file, services.AppFolder());
  return 0;
}

}  // namespace

}  // namespace tavro::test

int main(int argc, char** argv) {
  using namespace tavro::test;
  // The watcher the shell windows' tests start, as the program starts its own.
  if (const int status = tavro::win32::RunAsShellWatcher(); status >= 0)
    return status;
  const auto args = Arguments();
  if (args.size() == 5 && args[1] == "--instance")
    return InstanceChild(args);
  if (args.size() == 2 && args[1] == "--end")
    return EndChild();
  if (args.size() == 3 && args[1] == "--crash")
    return CrashChild(args[2]);
  if (args.size() == 3 && args[1] == "--hide")
    return HideChild(args[2]);
  if (args.size() == 3 && args[1] == "--app-folder")
    return AppFolderChild(args[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
