#pragma once
// Puts the desktop and the taskbar back should the launcher end without
// showing them again (ended by taskkill /f, by its image name or with its
// tree, or by the Task Manager, where no handler of ours runs). The watcher
// is a small program of its own beside the launcher (its own image name, so
// ending the launcher's name leaves it), started at the first hide through
// a go-between that starts it and ends at once (so it is no one's child,
// and ending the launcher's tree leaves it too). It waits on the launcher's
// process handle; the windows the launcher hid and has not shown again are
// written into a small shared memory block it reads once the launcher is
// gone, or once the launcher, ending normally, tells it to end and waits a
// moment for it. It shows (and enables) those and ends; after a normal end
// nothing is left in the block, and it ends showing nothing.

#include <cstdint>
#include <string>
#include <utility>

#include "runtime/win32/UniqueHandle.h"

namespace tavro::win32 {

// The watcher's program, beside the launcher's.
inline constexpr const wchar_t* kShellWatcherProgram = L"Tavro_ShellWatcher.exe";
// The first argument that makes a program the go-between, followed by the
// launcher's process handle, the block's handle and the event that tells
// the watcher to end, all inherited; the go-between starts the watcher
// with the second argument and the same handles.
inline constexpr const wchar_t* kShellWatcherArgument = L"--tavro-shell-watcher";
inline constexpr const wchar_t* kShellWatcherRunArgument = L"--tavro-shell-watcher-run";

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
  // Tells the watcher to end (showing what is still hidden) and waits up to
  // two seconds for it, so that a normal end leaves nothing running.
  // ExitProcess runs no destructor: the launcher's end calls this itself.
  void Stop();

 private:
  bool Start();

  std::wstring program_;
  UniqueKernelHandle block_;
  UniqueKernelHandle done_;         // set: the watcher ends
  UniqueKernelHandle go_between_;   // the process that starts the watcher
  volatile LONG* slots_ = nullptr;  // the mapped block; null: no watcher runs
};

// The go-between's side: starts the watcher with the same handles, hands
// the launcher a handle of it through the block, and returns its exit
// status.
int StartShellWatcher(const wchar_t* process_handle, const wchar_t* block_handle,
                      const wchar_t* done_handle);
// The watcher's side: waits for the launcher to end, then shows and enables
// each window still in the block that is still the desktop or the taskbar.
// Returns the process's exit status.
int RunShellWatcher(const wchar_t* process_handle, const wchar_t* block_handle,
                    const wchar_t* done_handle);

// When this process's command line makes it the go-between or the watcher:
// runs it and gives its exit status; else -1, and the program goes on as
// itself.
int RunAsShellWatcher();

// This process's program, in full (long paths too); empty when unknown.
std::wstring OwnProgram();
// The watcher's program beside this one; this program itself (which runs
// RunAsShellWatcher too) when the watcher's is missing.
std::wstring ShellWatcherProgram();

}  // namespace tavro::win32
