#pragma once
// Starting and ending processes without a shell.

#include <string>
#include <vector>

namespace tavro {

// Lets the kernel reap every child that ends, so started programs never stay
// behind as zombies although nobody waits for them. Sets SA_NOCLDWAIT on
// SIGCHLD for the rest of the process's life; a handler someone else
// installed is left alone (its owner reaps).
void ReapChildrenAutomatically();

// Starts argv[0] with the arguments argv and returns its process id at once,
// in a session of its own (no terminal's signals reach it), with default
// signal actions and no signal blocked. search_path: argv[0] is looked up
// along PATH when it holds no "/". input_fd, when given,
// becomes the program's standard input, and then no other descriptor of this
// process beyond standard output and error reaches it. Throws RuntimeError
// when the program cannot be started, with the OS's reason.
int SpawnDetached(const std::vector<std::string>& argv, bool search_path, int input_fd = -1);

// Tells when a program this process started ends: a descriptor (a pidfd)
// that turns readable then. Our children are reaped by the kernel as they
// end (see above), so the watch is taken right after the start; a pid the
// program has already left (taken by a stranger since) is refused by
// checking that the process found is our own child.
class ProcessEndWatch final {
 public:
  explicit ProcessEndWatch(int pid);
  ~ProcessEndWatch();
  ProcessEndWatch(const ProcessEndWatch&) = delete;
  ProcessEndWatch& operator=(const ProcessEndWatch&) = delete;

  // -1 when the program had ended already, or the kernel has no pidfds
  // (before Linux 5.3): then it counts as ended.
  int fd() const { return fd_; }
  bool Ended() const;
  // Ends the program at once (SIGKILL) while it runs.
  void Kill() const;

 private:
  int fd_ = -1;
};

// The ids of this user's processes, other than this one, whose executable's
// or argv[0]'s base name equals image_name without regard to case, and those
// that run from inside an AppImage of that name (APPIMAGE names the image,
// and the executable lies in the image's mount, APPDIR). None for an empty
// name.
std::vector<int> ProcessesNamed(const std::string& image_name);

}  // namespace tavro
