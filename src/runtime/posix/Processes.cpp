#include "runtime/posix/Processes.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>

#include "runtime/Runtime.h"
#include "runtime/Text.h"

namespace tavro {

namespace {

namespace fs = std::filesystem;

// One of posix_spawn's objects (its attributes, its file actions), freed on
// every path out.
template <typename T, int (*Init)(T*), int (*Destroy)(T*)>
class SpawnObject final {
 public:
  SpawnObject() { Init(&object_); }
  ~SpawnObject() { Destroy(&object_); }
  SpawnObject(const SpawnObject&) = delete;
  SpawnObject& operator=(const SpawnObject&) = delete;
  T* get() { return &object_; }

 private:
  T object_;
};
using SpawnAttributes =
    SpawnObject<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;
using SpawnActions = SpawnObject<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                 posix_spawn_file_actions_destroy>;

RuntimeError SpawnError(int error, const std::string& file) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return RuntimeError(err::kFileNotFound, "File not found");
    case EACCES:
    case EPERM:
      return RuntimeError(err::kPermissionDenied, "Permission denied");
    default:
      return RuntimeError(err::kFileNotFound,
                          "File not found: " + file + ": " + std::strerror(error));
  }
}

std::string ReadSmallFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  // A process that ends while its /proc files are read fails the read
  // (ESRCH), which the stream buffer throws past the stream: it is gone.
  try {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    return {};
  }
}

// The real user id from /proc/PID/status; -1 when it cannot be read.
long RealUid(const fs::path& proc_dir) {
  std::istringstream status(ReadSmallFile(proc_dir / "status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("Uid:")) {
      std::istringstream fields(line.substr(4));
      long uid = -1;
      fields >> uid;
      return fields ? uid : -1;
    }
  }
  return -1;
}

std::string BaseName(std::string_view path, std::string_view separators) {
  const auto slash = path.find_last_of(separators);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The value of a variable in a /proc/PID/environ text; empty when unset.
std::string_view Variable(std::string_view environment, std::string_view name) {
  for (std::size_t pos = 0; pos < environment.size();) {
    auto stop = environment.find('\0', pos);
    if (stop == std::string_view::npos)
      stop = environment.size();
    const std::string_view entry = environment.substr(pos, stop - pos);
    if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
      return entry.substr(name.size() + 1);
    pos = stop + 1;
  }
  return {};
}

bool ImageNameMatches(const fs::path& proc_dir, const std::string& image_name) {
  std::error_code ec;
  std::string exe = fs::read_symlink(proc_dir / "exe", ec).native();
  if (!ec) {
    // A program replaced on disk while it runs still counts under its name.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.ends_with(kDeleted))
      exe.resize(exe.size() - kDeleted.size());
    if (text::EqualsNoCase(BaseName(exe, "/"), image_name))
      return true;
  }
  const std::string cmdline = ReadSmallFile(proc_dir / "cmdline");
  const std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
  // Wine shows a Windows program's argv[0] as a Windows path, so a backslash
  // also ends a folder there: the emulator run through Wine is found by its
  // .exe name as on Windows.
  if (!argv0.empty() && text::EqualsNoCase(BaseName(argv0, "/\\"), image_name))
    return true;
  // An AppImage runs its payload from a mount of its own, under another name;
  // the runtime (whose program is the image, found above) leaves the image's
  // path in APPIMAGE and the mount in APPDIR. Whatever the payload starts (a
  // browser, a file manager) inherits both but runs from elsewhere, so only a
  // program inside the mount counts.
  if (ec)
    return false;
  const std::string environment = ReadSmallFile(proc_dir / "environ");
  const std::string_view app_image = Variable(environment, "APPIMAGE");
  std::string_view app_dir = Variable(environment, "APPDIR");
  while (app_dir.size() > 1 && app_dir.ends_with('/'))
    app_dir.remove_suffix(1);
  return !app_image.empty() && app_dir.starts_with('/') && app_dir != "/" &&
         exe.size() > app_dir.size() && exe.starts_with(app_dir) && exe[app_dir.size()] == '/' &&
         text::EqualsNoCase(BaseName(app_image, "/"), image_name);
}

}  // namespace

void ReapChildrenAutomatically() {
  struct sigaction action {};
  if (sigaction(SIGCHLD, nullptr, &action) != 0)
    return;
  if (action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN)
    return;
  // The handler stays SIG_DFL (or SIG_IGN) and only the flag is added: a
  // started program does not inherit an ignored SIGCHLD through exec, and
  // exec clears the flag.
  action.sa_flags |= SA_NOCLDWAIT;
  sigaction(SIGCHLD, &action, nullptr);
}

int SpawnDetached(const std::vector<std::string>& argv, bool search_path, int input_fd) {
  if (argv.empty() || argv[0].empty())
    throw RuntimeError(err::kFileNotFound, "File not found");
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (const auto& arg : argv)
    pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);

  // The started program gets default signal handling and an empty signal
  // mask, whatever the toolkit set up in this process (the launcher ignores
  // SIGPIPE: an emulator would otherwise inherit that through exec).
  SpawnAttributes attributes;
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGCHLD);
  sigaddset(&defaults, SIGPIPE);
  sigset_t empty;
  sigemptyset(&empty);
  posix_spawnattr_setsigdefault(attributes.get(), &defaults);
  posix_spawnattr_setsigmask(attributes.get(), &empty);
  // A session of its own: the terminal the launcher was started from sends
  // its Ctrl+C and its hang-up to the launcher's process group and session,
  // and a running game must outlive both, as it outlives the launcher's end.
  posix_spawnattr_setflags(attributes.get(),
                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);

  SpawnActions actions;
  if (input_fd >= 0) {
    posix_spawn_file_actions_adddup2(actions.get(), input_fd, STDIN_FILENO);
    posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);
  }
  pid_t pid = 0;
  const int error = search_path ? posix_spawnp(&pid, pointers[0], actions.get(), attributes.get(),
                                               pointers.data(), environ)
                                : posix_spawn(&pid, pointers[0], actions.get(), attributes.get(),
                                              pointers.data(), environ);
  if (error != 0)
    throw SpawnError(error, argv[0]);
  return pid;
}

ProcessEndWatch::ProcessEndWatch(int pid) {
  // Through syscall(): glibc 2.36's <sys/pidfd.h> cannot be used from C++.
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0)
    return;
  // Field 4 of stat, after the name in parentheses (which may hold any byte).
  const std::string stat = ReadSmallFile(fs::path("/proc") / std::to_string(pid) / "stat");
  const auto name_end = stat.rfind(')');
  std::istringstream fields(name_end == std::string::npos ? "" : stat.substr(name_end + 1));
  std::string state;
  long parent = 0;
  fields >> state >> parent;
  if (fields && parent == static_cast<long>(getpid())) {
    fd_ = fd;
  } else {
    close(fd);
  }
}

ProcessEndWatch::~ProcessEndWatch() {
  if (fd_ >= 0)
    close(fd_);
}

bool ProcessEndWatch::Ended() const {
  if (fd_ < 0)
    return true;
  pollfd ready{fd_, POLLIN, 0};
  return poll(&ready, 1, 0) > 0;
}

void ProcessEndWatch::Kill() const {
  // Through the descriptor: never a stranger that took the pid since.
  if (fd_ >= 0)
    syscall(SYS_pidfd_send_signal, fd_, SIGKILL, nullptr, 0);
}

std::vector<int> ProcessesNamed(const std::string& image_name) {
  std::vector<int> pids;
  if (image_name.empty())
    return pids;
  const long uid = static_cast<long>(getuid());
  const int self = static_cast<int>(getpid());
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().native();
    int pid = 0;
    const auto [ptr, parse_error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (parse_error != std::errc() || ptr != name.data() + name.size() || pid == self)
      continue;
    // Processes vanish while the scan runs; each read simply fails then.
    if (RealUid(it->path()) != uid)
      continue;
    if (ImageNameMatches(it->path(), image_name))
      pids.push_back(pid);
  }
  return pids;
}

}  // namespace tavro
