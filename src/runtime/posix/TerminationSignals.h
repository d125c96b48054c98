#pragma once
// SIGTERM, SIGINT and SIGHUP end the program at any point of its life.
//
// While it starts (the toolkit, the services, the load event with its
// message boxes) a signal ends it at once by the signal's default action:
// nothing can be hidden yet, since the keys act on the timer's ticks, which
// come only from the event loop, and a start blocked in a system call (a
// file that never answers) would never get to read a pipe.
//
// Once the event loop watches (WatchedByLoop), the handler only writes the
// signal's number into a pipe, and the loop, watching the pipe's read end,
// closes the window the normal way (the unload shows the desktop and the
// taskbar again) before the process ends by the same signal. Should the loop
// not get to it within a bound (its thread blocked), the process ends by the
// signal all the same, and the shell watcher puts back what was hidden.

namespace tavro {

class TerminationSignals final {
 public:
  // Installs the handlers; one object per process.
  TerminationSignals();
  // Puts the previous handlers back.
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Readable once a signal came; -1 when the pipe could not be made (then no
  // handler is installed and the signals act as they always do).
  int fd() const { return read_fd_; }
  // From now on a signal goes to the loop through the pipe.
  void WatchedByLoop();
  // The signal that came, or 0 when none is waiting.
  int Take();
  // Ends the process by signal: its default action, as if never caught.
  // Safe to call from a signal handler.
  [[noreturn]] static void EndBy(int signal_number);

 private:
  int read_fd_ = -1;
};

}  // namespace tavro
