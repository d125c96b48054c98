#pragma once
// The Linux implementation of the OS services. The toolkit's services
// (message box, pictures) are added by QtServices in view/qt.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/Files.h"

namespace tavro {

class X11Session;  // the X connection, opened on first use; none without a display
class InstanceLock;
class ShellWatcher;
class Controllers;  // SDL, loaded on first use

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
  // The Flatpak installations an application is looked for in; empty: the
  // system's and the user's (see Flatpak.h).
  std::vector<std::string> flatpak_installations;
};

class PosixServices : public Services {
 public:
  // Throw RuntimeError when the program's own folder cannot be known
  // (/proc/self/exe unreadable): nothing may be made in a guessed folder.
  // AppFolder is that folder, or for a packaged install (a marker file
  // ../share/tavro-frontend/packaged beside bin/) the user's data folder,
  // $XDG_DATA_HOME/tavro-frontend (default ~/.local/share/tavro-frontend),
  // made when missing once the instance lock is ours (a second start makes
  // nothing); a data folder that cannot be made throws too.
  PosixServices();
  explicit PosixServices(PosixOptions options);
  ~PosixServices() override;
  PosixServices(const PosixServices&) = delete;
  PosixServices& operator=(const PosixServices&) = delete;

  std::string AppFolder() const override;
  bool PreviousInstance() override;
  [[noreturn]] void End() override;
  // Starts a program from a command line split into words as a shell would
  // (nothing expanded, never through a shell) and returns at once; when
  // program is given it names the file to run.
  void Shell(const std::string& command_line, const std::string& program = {});
  void StartEmulator(const EmulatorCommand& command) override;
  std::vector<std::string> Drives() override;
  std::string FallbackDrive() const override { return "/"; }
  KeyState Key(int virtual_key) override;
  std::vector<std::uint32_t> ControllerButtons() override;
  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override;
  void ShowShellWindow(WindowHandle window, bool visible) override;
  void EnableShellWindow(WindowHandle window, bool enable) override;
  void KillByImageName(const std::string& image_name) override;
  bool RunsFlatpaks() const override { return true; }
  bool FlatpakInstalled(const std::string& app_id) override;
  void StartFlatpak(const std::string& app_id, const EmulatorCommand& command) override;
  void KillFlatpak(const std::string& app_id) override;
  void OpenInViewer(const std::string& path) override;
  void RefreshShellIcons() override {}  // no shell keeps icons to refresh

  // A press that another listener than X heard (the desktop portal's
  // shortcut on a Wayland desktop): the next Key of that key reports it
  // pressed, as the X listener would. When X reported the key less than a
  // tick before, both heard one press, and it acts once.
  void NotePress(int virtual_key);

 protected:
  // Each emulator started, right after its start, by its process id (for a
  // Flatpak, the flatpak process, which runs as long as the application).
  virtual void EmulatorStarted(int /*pid*/) {}

 private:
  X11Session* X();
  PosixOptions options_;
  std::string app_folder_;
  std::unique_ptr<InstanceLock> instance_lock_;
  std::unique_ptr<X11Session> x11_;
  std::unique_ptr<ShellWatcher> shell_watcher_;
  std::unique_ptr<Controllers> controllers_;
  bool x11_tried_ = false;
  std::set<int> noted_presses_;
  std::map<int, std::chrono::steady_clock::time_point> x11_heard_;
};

}  // namespace tavro
