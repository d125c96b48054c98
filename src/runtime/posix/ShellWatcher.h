#pragma once
// Puts the desktop and dock windows back should the launcher end without
// showing them again (killed with SIGKILL, crashed). A small watcher process,
// started at the first hide, is told which windows the launcher hid and which
// it showed again; when the launcher's end closes the connection, it maps the
// ones still hidden and ends. It maps nothing the launcher did not hide.

#include <set>
#include <string>
#include <vector>

namespace tavro {

// The first argument that makes the launcher's program run as the watcher.
inline constexpr const char* kShellWatcherArgument = "--tavro-shell-watcher";

// The launcher's side. command: the watcher's argument vector (the first is
// the program run); the display's name is added as the last argument. Empty:
// no watcher, nothing is done.
class ShellWatcher final {
 public:
  explicit ShellWatcher(std::vector<std::string> command);
  ~ShellWatcher();
  ShellWatcher(const ShellWatcher&) = delete;
  ShellWatcher& operator=(const ShellWatcher&) = delete;

  // Call before the window is unmapped, so that no moment exists where it is
  // hidden and the watcher does not know.
  void Hidden(unsigned long window, const std::string& display_name);
  // Call after the window is mapped again.
  void Shown(unsigned long window);

 private:
  bool Start(const std::string& display_name);
  bool Send(const std::string& message);

  std::vector<std::string> command_;
  std::set<unsigned long> hidden_;
  int fd_ = -1;  // the launcher's end of the connection; -1: no watcher runs
};

// The watcher's side: reads "+WINDOW" / "-WINDOW" lines from its standard
// input (a socket) until it ends, then maps every window still hidden on
// display_name ("" : $DISPLAY). Returns the process's exit status.
int RunShellWatcher(const char* display_name);

}  // namespace tavro
