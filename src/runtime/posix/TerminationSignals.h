#pragma once
// SIGTERM, SIGINT and SIGHUP brought into the event loop: the handler only
// writes the signal's number into a pipe, and the loop, watching the pipe's
// read end, closes the window the normal way (the unload shows the desktop
// and the taskbar again) before the process ends by the same signal.

namespace tavro {

class TerminationSignals final {
 public:
  // Installs the handlers; one object per process.
  TerminationSignals();
  // Puts the previous handlers back.
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Readable once a signal came; -1 when the pipe could not be made.
  int fd() const { return read_fd_; }
  // The signal that came, or 0 when none is waiting.
  int Take();
  // Ends the process by signal: its default action, as if never caught.
  [[noreturn]] static void EndBy(int signal_number);

 private:
  int read_fd_ = -1;
};

}  // namespace tavro
