#pragma once
// EnableWindow for another program's window (the desktop), made on a thread
// of its own. The call sends the window messages and waits for the answers,
// so a shell that stopped answering would hold the caller for ever: the
// launcher's window, its close, and the single-instance lock with it.

#include <windows.h>

#include <memory>
#include <vector>

namespace tavro::win32 {

class WindowEnabler final {
 public:
  WindowEnabler() = default;
  // Lets the thread end once it has made what it was given; a call that
  // never returns keeps it until the process ends.
  ~WindowEnabler();
  WindowEnabler(const WindowEnabler&) = delete;
  WindowEnabler& operator=(const WindowEnabler&) = delete;

  // Returns at once; the calls are made in the order given. A window of the
  // calling thread is enabled here: it answers at once, and a message from
  // the other thread would wait for this one.
  void Enable(HWND window, bool enable);
  // Waits up to wait_ms for the calls given so far, and returns the windows
  // whose calls have not been made by then.
  std::vector<HWND> Finish(DWORD wait_ms);

  // Shared with the thread, which may outlive this object.
  struct Queue;

 private:
  std::shared_ptr<Queue> queue_;
};

}  // namespace tavro::win32
