#pragma once
// The Linux roles: this process and the programs it starts, the drives, the
// keys and controllers, the shell's windows. The toolkit's roles (message
// box, pictures) are QtDialogs and QtPictures in view/qt.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/Files.h"
#include "runtime/GameWatchers.h"

namespace tavro {

class X11Session;  // the X connection, opened on first use; none without a display
class InstanceLock;
class ShellWatcher;
class Controllers;  // SDL, loaded on first use
class ProcessEndWatch;

// What a test changes so that it neither meets a running launcher nor the
// user's display; the program itself uses the defaults.
struct PosixOptions {
  // Name of the per-user instance lock (see InstanceLock.h).
  std::string instance_name = "tavro-frontend";
  // X display to open; none given: $DISPLAY.
  std::optional<std::string> display;
  // The watcher that shows the desktop and dock windows again should this
  // process end without doing so (see ShellWatcher.h); empty: none.
  std::vector<std::string> shell_watcher;
  // The folder of input devices SDL waits on before it is loaded (see
  // Controllers.h); empty: loaded at the first read.
  std::string controller_devices = "/dev/input";
};

// The X connection the keys and the shell windows share, opened at the
// first use (a start that never asks opens none); none without a display.
class X11Connection final {
 public:
  explicit X11Connection(std::optional<std::string> display = std::nullopt);
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  X11Session* Get();

 private:
  std::optional<std::string> display_;
  std::unique_ptr<X11Session> session_;
  bool tried_ = false;
};

// Not final: the pad tests give it a library folder of their own.
class PosixProcesses : public Processes {
 public:
  // Throw RuntimeError when the program's own folder cannot be known
  // (/proc/self/exe unreadable): nothing may be made in a guessed folder.
  // AppFolder is that folder, or for a packaged install (a marker file
  // ../share/tavro-frontend/packaged beside bin/) the user's data folder,
  // $XDG_DATA_HOME/tavro-frontend (default ~/.local/share/tavro-frontend),
  // made when missing once the instance lock is ours (a second start makes
  // nothing); a data folder that cannot be made throws too.
  explicit PosixProcesses(std::string instance_name = PosixOptions{}.instance_name);
  ~PosixProcesses() override;
  PosixProcesses(const PosixProcesses&) = delete;
  PosixProcesses& operator=(const PosixProcesses&) = delete;

  std::string AppFolder() const override;
  bool PreviousInstance() override;
  [[noreturn]] void End() override;
  void StartEmulator(const EmulatorCommand& command) override;
  bool GameRunning() override;
  GameSubscription WatchGames(GameListener listener) override;
  void KillByImageName(const std::string& image_name) override;
  void EndStartedGames() override;
  bool RunsInstalledApps() const override { return true; }
  bool AppInstalled(const std::string& app_id) override;
  void StartApp(const std::string& app_id, const EmulatorCommand& command) override;
  void EndApp(const std::string& app_id) override;
  void OpenInViewer(const std::string& path) override;

 private:
  void KeepGame(int pid);
  std::string instance_name_;
  std::string app_folder_;
  std::unique_ptr<InstanceLock> instance_lock_;
  // The games started here that had not ended at the last look, each by
  // the descriptor that tells its end.
  std::vector<std::unique_ptr<ProcessEndWatch>> games_;
  GameWatchers watchers_;
};

class PosixDisks final : public Disks {
 public:
  std::vector<std::string> Drives() override;
  std::string FallbackDrive() const override { return "/"; }
};

// The keyboard through X (XInput2 raw events on the root window) and the
// game controllers through SDL.
class X11Keys final : public Keys {
 public:
  X11Keys(X11Connection& x11, std::string controller_devices);
  ~X11Keys() override;
  X11Keys(const X11Keys&) = delete;
  X11Keys& operator=(const X11Keys&) = delete;

  KeyState Key(HotKey key) override;
  std::vector<std::uint32_t> ControllerButtons() override;

  // A press that another listener than X heard (the desktop portal's
  // shortcut on a Wayland desktop): the next Key of that key reports it
  // pressed, as the X listener would. When X reported the key less than a
  // tick before, both heard one press, and it acts once.
  void NotePress(HotKey key);

 private:
  X11Connection& x11_;
  std::unique_ptr<Controllers> controllers_;
  std::set<HotKey> noted_presses_;
  std::map<HotKey, std::chrono::steady_clock::time_point> x11_heard_;
};

// The desktop and dock windows of an EWMH desktop.
class X11ShellWindows final : public ShellWindows {
 public:
  X11ShellWindows(X11Connection& x11, std::vector<std::string> shell_watcher);
  ~X11ShellWindows() override;
  X11ShellWindows(const X11ShellWindows&) = delete;
  X11ShellWindows& operator=(const X11ShellWindows&) = delete;

  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override;
  void ShowShellWindow(WindowHandle window, bool visible) override;
  void EnableShellWindow(WindowHandle window, bool enable) override;
  void RefreshShellIcons() override {}  // no shell keeps icons to refresh

 private:
  X11Connection& x11_;
  std::unique_ptr<ShellWatcher> shell_watcher_;
};

}  // namespace tavro
