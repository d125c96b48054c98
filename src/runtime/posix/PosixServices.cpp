#include "runtime/posix/PosixServices.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "runtime/posix/CommandLine.h"
#include "runtime/posix/Controllers.h"
#include "runtime/posix/Flatpak.h"
#include "runtime/posix/InstanceLock.h"
#include "runtime/posix/Mounts.h"
#include "runtime/posix/Processes.h"
#include "runtime/posix/ShellWatcher.h"
#include "runtime/posix/X11Session.h"

namespace tavro {

namespace fs = std::filesystem;

namespace {

// The folder of the running program. The working directory is no stand-in:
// the settings file and the program's folders would be made wherever the
// program happened to be started.
std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.is_absolute()) {
    throw RuntimeError(err::kPathNotFound,
                       "The program's own folder cannot be found: /proc/self/exe cannot be read (" +
                           (ec ? ec.message() : exe.string()) +
                           "). Is /proc mounted? Nothing was changed.");
  }
  // "/" is the one folder whose name ends in the separator.
  return Utf8(exe.parent_path());
}

// An absolute path from the environment, or nothing: a relative or empty
// value is ignored, as the XDG base directory rules ask.
std::optional<fs::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/')
    return std::nullopt;
  return fs::path(value);
}

fs::path HomeFolder() {
  if (auto home = AbsoluteFromEnvironment("HOME"))
    return *home;
  // No usable HOME (a service, a scrubbed environment): the account's own.
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/')
    return fs::path(found->pw_dir);
  throw RuntimeError(err::kPathNotFound,
                     "The user's data folder cannot be found: neither XDG_DATA_HOME nor HOME "
                     "names one and the account has no home folder. Nothing was changed.");
}

// A packaged install puts a marker under the prefix that holds bin/: a
// program in /usr/bin cannot keep its settings and folders beside itself, so
// each user's tree lives in the user's data folder, which is returned.
// Without the marker (the portable archive, a build folder) the program's
// folder is the tree, writable or not: nothing is returned.
std::optional<fs::path> PackagedDataFolder(const std::string& program_folder) {
  std::error_code ec;
  if (!fs::exists(fs::path(program_folder) / ".." / "share" / "tavro-frontend" / "packaged", ec))
    return std::nullopt;
  auto data_home = AbsoluteFromEnvironment("XDG_DATA_HOME");
  if (!data_home)
    data_home = HomeFolder() / ".local" / "share";
  return *data_home / "tavro-frontend";
}

void MakeDataFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) {
    throw RuntimeError(err::kPathNotFound, "The data folder " + Utf8(folder) + " cannot be made (" +
                                               (ec ? ec.message() : "not a folder") + ").");
  }
}

}  // namespace

X11Connection::X11Connection(std::optional<std::string> display) : display_(std::move(display)) {}

X11Connection::~X11Connection() = default;

X11Session* X11Connection::Get() {
  if (!tried_) {
    tried_ = true;
    session_ = X11Session::Open(display_ ? display_->c_str() : nullptr);
  }
  return session_.get();
}

PosixProcesses::PosixProcesses(std::string instance_name)
    : instance_name_(std::move(instance_name)) {
  app_folder_ = ProgramFolder();
  if (const auto data_folder = PackagedDataFolder(app_folder_)) {
    app_folder_ = Utf8(*data_folder);
    // The instance check comes before anything touches the disk: a second
    // start, which ends at that check, makes no folder either.
    if (!PosixProcesses::PreviousInstance())
      MakeDataFolder(*data_folder);
  }
  ReapChildrenAutomatically();
}

PosixProcesses::~PosixProcesses() = default;

std::string PosixProcesses::AppFolder() const {
  return app_folder_;
}

bool PosixProcesses::PreviousInstance() {
  if (!instance_lock_)
    instance_lock_ = std::make_unique<InstanceLock>(DefaultLockFolders(), instance_name_);
  return instance_lock_->HeldByAnother();
}

void PosixProcesses::End() {
  std::fflush(nullptr);
  std::_Exit(0);
}

// No window style: on X the started program decides how its window first
// appears.
void PosixProcesses::StartEmulator(const EmulatorCommand& command) {
  std::vector<std::string> argv{command.program};
  for (auto& arg : EmulatorArguments(command))
    argv.push_back(std::move(arg));
  KeepGame(SpawnDetached(argv, false));
}

// A game started through flatpak: the flatpak process runs as long as the
// application does, so its life is the game's.
void PosixProcesses::KeepGame(int pid) {
  auto watch = std::make_unique<ProcessEndWatch>(pid);
  // Ended already, or a kernel that cannot tell when (before Linux 5.3):
  // no game is counted as running.
  if (watch->Ended())
    return;
  games_.push_back(std::move(watch));
  watchers_.Tell(GameLife::kStarted, static_cast<int>(games_.size()));
}

bool PosixProcesses::AppInstalled(const std::string& app_id) {
  return FlatpakInstalledIn(FlatpakInstallations(), app_id);
}

void PosixProcesses::StartApp(const std::string& app_id, const EmulatorCommand& command) {
  if (!IsFlatpakAppId(app_id))
    throw RuntimeError(err::kFileNotFound, "File not found: no application id: " + app_id);
  KeepGame(SpawnDetached(FlatpakRun(app_id, EmulatorArguments(command)), true));
}

void PosixProcesses::EndApp(const std::string& app_id) {
  if (IsFlatpakAppId(app_id))
    SpawnDetached(FlatpakKill(app_id), true);
}

bool PosixProcesses::GameRunning() {
  return watchers_.DropEnded(games_, [](const auto& game) { return game->Ended(); });
}

GameSubscription PosixProcesses::WatchGames(GameListener listener) {
  return watchers_.Subscribe(std::move(listener));
}

std::vector<std::string> PosixDisks::Drives() {
  std::ifstream in("/proc/self/mounts", std::ios::binary);
  return DriveList(
      std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}, getuid());
}

X11Keys::X11Keys(X11Connection& x11, std::string controller_devices)
    : x11_(x11), controllers_(std::make_unique<Controllers>(std::move(controller_devices))) {}

X11Keys::~X11Keys() = default;

// The launcher's timer tick: one press reaching both listeners arrives at
// each well within it.
constexpr auto kOneTick = std::chrono::milliseconds(100);

KeyState X11Keys::Key(HotKey key) {
  X11Session* x = x11_.Get();
  KeyState state = x != nullptr ? x->Key(key) : KeyState{};
  if (state.down || state.pressed)
    x11_heard_[key] = std::chrono::steady_clock::now();
  if (noted_presses_.erase(key) > 0)
    state.pressed = true;
  return state;
}

void X11Keys::NotePress(HotKey key) {
  const auto heard = x11_heard_.find(key);
  if (heard != x11_heard_.end() && std::chrono::steady_clock::now() - heard->second < kOneTick)
    return;
  noted_presses_.insert(key);
}

std::vector<std::uint32_t> X11Keys::ControllerButtons() {
  return controllers_->Buttons();
}

X11ShellWindows::X11ShellWindows(X11Connection& x11, std::vector<std::string> shell_watcher)
    : x11_(x11), shell_watcher_(std::make_unique<ShellWatcher>(std::move(shell_watcher))) {}

X11ShellWindows::~X11ShellWindows() = default;

std::vector<WindowHandle> X11ShellWindows::FindShellWindows(ShellWindow which) {
  X11Session* x = x11_.Get();
  if (x == nullptr)
    return {};
  const auto windows = x->WindowsOfType(
      which == ShellWindow::kDesktop ? "_NET_WM_WINDOW_TYPE_DESKTOP" : "_NET_WM_WINDOW_TYPE_DOCK");
  return std::vector<WindowHandle>(windows.begin(), windows.end());
}

void X11ShellWindows::ShowShellWindow(WindowHandle window, bool visible) {
  X11Session* x = x11_.Get();
  if (x == nullptr || window == 0)
    return;
  const auto w = static_cast<Window>(window);
  // Only a window this process takes off the screen is the watcher's to put
  // back.
  if (!visible) {
    if (x->IsMapped(w))
      shell_watcher_->Hidden(window, x->DisplayName());
    x->SetMapped(w, false);
  } else {
    x->SetMapped(w, true);
    shell_watcher_->Shown(window);
  }
}

// X has no flag that makes a window refuse input the way EnableWindow does;
// an unmapped desktop takes none anyway, so there is nothing to do.
void X11ShellWindows::EnableShellWindow(WindowHandle /*window*/, bool /*enable*/) {}

void PosixProcesses::KillByImageName(const std::string& image_name) {
  for (const int pid : ProcessesNamed(image_name))
    kill(pid, SIGKILL);
}

// A game started through flatpak is the flatpak process: ending it leaves
// the sandbox running, which EndApp ends.
void PosixProcesses::EndStartedGames() {
  for (const auto& game : games_)
    game->Kill();
}

void PosixProcesses::OpenInViewer(const std::string& path) {
  SpawnDetached({"xdg-open", path}, true);
}

}  // namespace tavro
