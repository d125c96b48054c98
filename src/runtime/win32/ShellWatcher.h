#pragma once
// Puts the desktop and the taskbar back should the launcher end without
// showing them again (ended by taskkill /f or the Task Manager, where no
// handler of ours runs). A small watcher process, the launcher's own program
// started with a private argument at the first hide, waits on the
// launcher's process handle; the windows the launcher hid and has not shown
// again are written into a small shared memory block it reads once the
// launcher is gone, or once the launcher, ending normally, tells it to end
// and waits for it. It shows (and enables) those and ends; after a normal
// end nothing is left in the block, and it ends showing nothing.

#include <cstdint>
#include <string>
#include <utility>

#include "runtime/win32/UniqueHandle.h"

namespace tavro::win32 {

// The first argument that makes the program run as the watcher, followed by
// the launcher's process handle, the block's handle and the event that
// tells it to end, all inherited.
inline constexpr const wchar_t* kShellWatcherArgument = L"--tavro-shell-watcher";

class ShellWatcher final {
 public:
  // program: the watcher's program, started with kShellWatcherArgument and
  // the handles; it runs RunAsShellWatcher first thing. Empty: no watcher,
  // nothing is done.
  explicit ShellWatcher(std::wstring program) : program_(std::move(program)) {}
  ~ShellWatcher();
  ShellWatcher(const ShellWatcher&) = delete;
  ShellWatcher& operator=(const ShellWatcher&) = delete;

  // Call before the window is hidden or disabled, so that no moment exists
  // where it is and the watcher would not know.
  void Hidden(std::uintptr_t window);
  // Call once the window is shown again.
  void Shown(std::uintptr_t window);
  // Tells the watcher to end (showing what is still hidden) and waits a
  // moment for it, so that a normal end leaves nothing running. ExitProcess
  // runs no destructor: the launcher's end calls this itself.
  void Stop();

 private:
  bool Start();

  std::wstring program_;
  UniqueKernelHandle block_;
  UniqueKernelHandle done_;         // set: the watcher ends
  UniqueKernelHandle watcher_;      // the watcher's process
  volatile LONG* slots_ = nullptr;  // the mapped block; null: no watcher runs
};

// The watcher's side: waits for the launcher to end, then shows and enables
// each window still in the block that is still the desktop or the taskbar.
// Returns the process's exit status.
int RunShellWatcher(const wchar_t* process_handle, const wchar_t* block_handle,
                    const wchar_t* done_handle);

// When this process's command line makes it the watcher: runs it and gives
// its exit status; else -1, and the program goes on as itself.
int RunAsShellWatcher();

// This process's program, in full (long paths too); empty when unknown.
std::wstring OwnProgram();

}  // namespace tavro::win32
