#include "runtime/posix/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

namespace tavro {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The handler may only do what is safe in a signal handler: one write.
volatile sig_atomic_t g_write_fd = -1;
std::array<struct sigaction, kSignals.size()> g_previous{};

void OnSignal(int signal_number) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signal_number);
  if (g_write_fd >= 0) {
    // A full pipe already holds a signal the loop has yet to read.
    [[maybe_unused]] const ssize_t n = write(g_write_fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  read_fd_ = ends[0];
  g_write_fd = ends[1];
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    sigaction(kSignals[i], &action, &g_previous[i]);
}

TerminationSignals::~TerminationSignals() {
  if (read_fd_ < 0)
    return;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    sigaction(kSignals[i], &g_previous[i], nullptr);
  close(g_write_fd);
  g_write_fd = -1;
  close(read_fd_);
}

int TerminationSignals::Take() {
  unsigned char byte = 0;
  return read(read_fd_, &byte, 1) == 1 ? byte : 0;
}

void TerminationSignals::EndBy(int signal_number) {
  signal(signal_number, SIG_DFL);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal_number);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal_number);
  std::_Exit(128 + signal_number);
}

}  // namespace tavro
