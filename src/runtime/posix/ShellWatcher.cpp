#include "runtime/posix/ShellWatcher.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "runtime/Runtime.h"
#include "runtime/posix/OwnedFd.h"
#include "runtime/posix/Processes.h"

namespace tavro {

namespace {

int IgnoreXErrors(Display*, XErrorEvent*) {
  // A window gone since it was hidden: nothing to put back.
  return 0;
}

void MapAgain(const char* display_name, const std::set<unsigned long>& windows) {
  if (windows.empty())
    return;
  Display* display = XOpenDisplay(display_name[0] != '\0' ? display_name : nullptr);
  if (display == nullptr)
    return;  // the X server ended with the session: nothing left to show
  XSetErrorHandler(&IgnoreXErrors);
  for (const unsigned long window : windows)
    XMapWindow(display, static_cast<Window>(window));
  XSync(display, False);
  XCloseDisplay(display);
}

}  // namespace

ShellWatcher::ShellWatcher(std::vector<std::string> command) : command_(std::move(command)) {}

ShellWatcher::~ShellWatcher() {
  // Closing is the launcher's normal end too: the watcher maps what is still
  // hidden and goes.
  if (fd_ >= 0)
    close(fd_);
}

void ShellWatcher::Hidden(unsigned long window, const std::string& display_name) {
  if (command_.empty())
    return;
  hidden_.insert(window);
  if (fd_ >= 0 && Send("+" + std::to_string(window) + "\n"))
    return;
  // Not started yet, or it went away: a new one learns every hidden window.
  Start(display_name);
}

void ShellWatcher::Shown(unsigned long window) {
  if (hidden_.erase(window) == 0 || fd_ < 0)
    return;
  Send("-" + std::to_string(window) + "\n");
}

bool ShellWatcher::Start(const std::string& display_name) {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  int ends[2];
  // Close-on-exec: neither the emulator nor anything else the launcher
  // starts may hold the connection open past the launcher's end.
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
    return false;
  OwnedFd ours(ends[0]);
  OwnedFd theirs(ends[1]);

  std::vector<std::string> args = command_;
  args.push_back(display_name);
  // Nothing else of the launcher's (the instance lock above all) may live on
  // in the watcher.
  try {
    SpawnDetached(args, false, theirs.get());
  } catch (const RuntimeError&) {
    return false;
  }
  fd_ = ours.release();
  std::string all;
  for (const unsigned long window : hidden_)
    all += "+" + std::to_string(window) + "\n";
  return Send(all);
}

bool ShellWatcher::Send(const std::string& message) {
  std::size_t done = 0;
  while (done < message.size()) {
    // MSG_NOSIGNAL: a watcher gone must not end the launcher with SIGPIPE.
    const ssize_t n = send(fd_, message.data() + done, message.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      close(fd_);
      fd_ = -1;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int RunShellWatcher(const char* display_name) {
  // Only ever started by the launcher, with the connection as its input.
  struct stat input {};
  if (fstat(STDIN_FILENO, &input) != 0 || !S_ISSOCK(input.st_mode))
    return 2;
  // A terminal's Ctrl+C or hang-up reaches the launcher too, which shows the
  // windows itself; the watcher stays until the launcher is gone.
  signal(SIGINT, SIG_IGN);
  signal(SIGHUP, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);

  std::set<unsigned long> hidden;
  std::string pending;
  char buffer[512];
  for (;;) {
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    pending.append(buffer, static_cast<std::size_t>(n));
    for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (line.size() < 2 || (line[0] != '+' && line[0] != '-'))
        continue;
      char* stop = nullptr;
      const unsigned long window = std::strtoul(line.c_str() + 1, &stop, 10);
      if (*stop != '\0' || window == 0)
        continue;
      if (line[0] == '+') {
        hidden.insert(window);
      } else {
        hidden.erase(window);
      }
    }
  }
  MapAgain(display_name, hidden);
  return 0;
}

}  // namespace tavro
