#pragma once
// Real processes and folders for the Linux service tests.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tavro::test {

namespace fs = std::filesystem;

// glibc 2.36 declares pidfd_open without C linkage in C++; go direct.
inline int PidFdOpen(pid_t pid) {
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

// Long enough for any loaded machine; only reached when something is wrong,
// so that a fault fails the test instead of hanging it.
constexpr int kPatienceMs = 20000;

class TempDir final {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tavro-posix-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("mkdtemp");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

class Fd final {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0)
      close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// A process the test starts itself, its stdin and stdout on pipes. Waiting
// goes through a pidfd: once a PosixServices exists in this process,
// children are reaped by the kernel and waitpid has nothing to report.
class Child final {
 public:
  explicit Child(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    Fd in_read(in[0]);
    Fd out_write(out[1]);
    input_ = Fd(in[1]);
    output_ = Fd(out[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_read.get(), 0);
    posix_spawn_file_actions_adddup2(&actions, out_write.get(), 1);
    std::vector<char*> args;
    for (const auto& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int error = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
      throw std::runtime_error("cannot start " + argv[0]);
    pidfd_ = Fd(PidFdOpen(pid_));
    // A child that ended at once may be reaped already (see above): gone.
    if (pidfd_.get() < 0 && errno != ESRCH)
      throw std::runtime_error("pidfd_open");
  }
  ~Child() {
    if (!Exited())
      kill(pid_, SIGKILL);
    WaitExit();
    if (pidfd_.get() < 0)
      return;
    siginfo_t info{};
    waitid(P_PIDFD, static_cast<id_t>(pidfd_.get()), &info, WEXITED | WNOHANG);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  // A child that has ended already (one that refuses to start, say) leaves
  // the write nothing to do: its output and exit tell the test. SIGPIPE is
  // held back for the write alone, since it would end the whole test
  // program without a word, and a pending one is taken before unblocking.
  void Write(const std::string& text) {
    sigset_t pipe_signal;
    sigset_t before;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, &before);
    const ssize_t n = write(input_.get(), text.data(), text.size());
    const int error = errno;
    if (n < 0 && error == EPIPE) {
      const timespec now{};
      sigtimedwait(&pipe_signal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (n != static_cast<ssize_t>(text.size()) && !(n < 0 && error == EPIPE))
      throw std::runtime_error("write to child");
  }
  void CloseInput() { input_.Reset(); }

  // The next line of the child's output; nullopt at its end.
  std::optional<std::string> ReadLine() {
    std::string line;
    char c = 0;
    for (;;) {
      pollfd p{output_.get(), POLLIN, 0};
      if (poll(&p, 1, kPatienceMs) <= 0)
        return std::nullopt;
      const ssize_t n = read(output_.get(), &c, 1);
      if (n <= 0)
        return line.empty() ? std::nullopt : std::optional<std::string>(line);
      if (c == '\n')
        return line;
      line += c;
    }
  }
  // Everything the child writes until it closes its output.
  std::string ReadAll() {
    std::string all;
    char buffer[256];
    for (;;) {
      pollfd p{output_.get(), POLLIN, 0};
      if (poll(&p, 1, kPatienceMs) <= 0)
        return all;
      const ssize_t n = read(output_.get(), buffer, sizeof buffer);
      if (n <= 0)
        return all;
      all.append(buffer, static_cast<std::size_t>(n));
    }
  }

  bool Exited() const {
    pollfd p{pidfd_.get(), POLLIN, 0};
    return pidfd_.get() < 0 || poll(&p, 1, 0) == 1;
  }
  bool WaitExit() const {
    pollfd p{pidfd_.get(), POLLIN, 0};
    return pidfd_.get() < 0 || poll(&p, 1, kPatienceMs) == 1;
  }

 private:
  pid_t pid_ = 0;
  Fd pidfd_;
  Fd input_;
  Fd output_;
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits for a file another process writes in one rename.
inline bool WaitForFile(const fs::path& path) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
  while (!fs::exists(path)) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

inline fs::path CopyExecutable(const fs::path& from, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms::owner_all, fs::perm_options::add);
  return to;
}

// The test's own programs, beside the test binary.
inline fs::path HelperPath(const char* name) {
  return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

// A lock name no launcher and no other test run uses.
inline std::string UniqueLockName() {
  static int counter = 0;
  return "tavro-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

}  // namespace tavro::test
