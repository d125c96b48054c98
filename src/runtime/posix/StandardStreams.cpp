#include "runtime/posix/StandardStreams.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tavro {

namespace {

bool IsOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

}  // namespace

void OpenStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (IsOpen(fd))
      continue;
    // Not close-on-exec: a program started from here inherits the same
    // harmless streams. The lowest free number is taken, which is fd, since
    // every lower one is open by now.
    int opened = open("/dev/null", O_RDWR | O_NOCTTY);
    if (opened < 0)
      opened = open("/", O_PATH | O_DIRECTORY);
    if (opened < 0 || opened == fd)
      continue;
    dup2(opened, fd);
    close(opened);
  }
}

void IgnoreBrokenPipes() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace tavro
