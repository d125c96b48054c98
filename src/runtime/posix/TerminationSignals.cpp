#include "runtime/posix/TerminationSignals.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

namespace tavro {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
// How long the loop has to close the window after a signal.
constexpr unsigned kLoopPatienceSeconds = 2;

// The handlers may only do what is safe in a signal handler.
volatile sig_atomic_t g_write_fd = -1;
volatile sig_atomic_t g_loop_watches = 0;
volatile sig_atomic_t g_pending = 0;
std::array<struct sigaction, kSignals.size()> g_previous{};
struct sigaction g_previous_alarm {};

void OnSignal(int signal_number) {
  if (g_loop_watches == 0 || g_write_fd < 0)
    TerminationSignals::EndBy(signal_number);
  const int saved = errno;
  if (g_pending == 0) {
    g_pending = signal_number;
    alarm(kLoopPatienceSeconds);
  }
  const auto byte = static_cast<unsigned char>(signal_number);
  // A full pipe already holds a signal the loop has yet to read.
  [[maybe_unused]] const ssize_t n = write(g_write_fd, &byte, 1);
  errno = saved;
}

// The loop did not close the window in time.
void OnAlarm(int /*signal_number*/) {
  TerminationSignals::EndBy(g_pending != 0 ? g_pending : SIGTERM);
}

void Install(int signal_number, void (*handler)(int), struct sigaction* previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, previous);
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  read_fd_ = ends[0];
  g_write_fd = ends[1];
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    Install(kSignals[i], &OnSignal, &g_previous[i]);
}

TerminationSignals::~TerminationSignals() {
  if (read_fd_ < 0)
    return;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    sigaction(kSignals[i], &g_previous[i], nullptr);
  if (g_loop_watches != 0) {
    alarm(0);
    sigaction(SIGALRM, &g_previous_alarm, nullptr);
  }
  g_loop_watches = 0;
  close(g_write_fd);
  g_write_fd = -1;
  close(read_fd_);
}

void TerminationSignals::WatchedByLoop() {
  if (read_fd_ < 0 || g_loop_watches != 0)
    return;
  Install(SIGALRM, &OnAlarm, &g_previous_alarm);
  g_loop_watches = 1;
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
  pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal_number);
  std::_Exit(128 + signal_number);
}

}  // namespace tavro
