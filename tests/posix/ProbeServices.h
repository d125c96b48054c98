#pragma once
// The Linux roles made as the program makes them, without a toolkit: the
// tests and their helper processes never show a message box or a picture.
// One object answers for every role, each call passed to the real role
// object, so a test reads as one sequence of calls.

#include <string>
#include <utility>
#include <vector>

#include "runtime/posix/PosixServices.h"

namespace tavro::test {

class ProbeServices final : public Processes,
                            public Disks,
                            public Dialogs,
                            public Keys,
                            public Pictures,
                            public ShellWindows {
 public:
  explicit ProbeServices(const PosixOptions& options = {})
      : processes_(options.instance_name),
        x11_(options.display),
        keys_(x11_, options.controller_devices),
        shell_(x11_, options.shell_watcher) {}

  operator Services() { return {*this, *this, *this, *this, *this, *this}; }

  std::string AppFolder() const override { return processes_.AppFolder(); }
  bool PreviousInstance() override { return processes_.PreviousInstance(); }
  [[noreturn]] void End() override { processes_.End(); }
  void StartEmulator(const EmulatorCommand& command) override { processes_.StartEmulator(command); }
  bool GameRunning() override { return processes_.GameRunning(); }
  GameSubscription WatchGames(GameListener listener) override {
    return processes_.WatchGames(std::move(listener));
  }
  void KillByImageName(const std::string& image_name) override {
    processes_.KillByImageName(image_name);
  }
  void EndStartedGames() override { processes_.EndStartedGames(); }
  void OpenInViewer(const std::string& path) override { processes_.OpenInViewer(path); }
  bool RunsInstalledApps() const override { return processes_.RunsInstalledApps(); }
  bool AppInstalled(const std::string& app_id) override {
    return processes_.AppInstalled(app_id);
  }
  void StartApp(const std::string& app_id, const EmulatorCommand& command) override {
    processes_.StartApp(app_id, command);
  }
  void EndApp(const std::string& app_id) override { processes_.EndApp(app_id); }

  std::vector<std::string> Drives() override { return disks_.Drives(); }
  std::string FallbackDrive() const override { return disks_.FallbackDrive(); }

  KeyState Key(HotKey key) override { return keys_.Key(key); }
  std::vector<std::uint32_t> ControllerButtons() override { return keys_.ControllerButtons(); }
  void NotePress(HotKey key) { keys_.NotePress(key); }

  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override {
    return shell_.FindShellWindows(which);
  }
  void ShowShellWindow(WindowHandle window, bool visible) override {
    shell_.ShowShellWindow(window, visible);
  }
  void EnableShellWindow(WindowHandle window, bool enable) override {
    shell_.EnableShellWindow(window, enable);
  }
  void RefreshShellIcons() override { shell_.RefreshShellIcons(); }

  void MsgBox(const std::string& prompt, const std::string& title) override {
    messages.push_back(title + ": " + prompt);
  }
  PicturePtr LoadPictureToFit(const std::string&, int, int) override {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
  PicturePtr LoadResourcePicture(ResourcePicture) override { return nullptr; }

  std::vector<std::string> messages;

 private:
  PosixProcesses processes_;
  PosixDisks disks_;
  X11Connection x11_;
  X11Keys keys_;
  X11ShellWindows shell_;
};

// The program's own processes, its folder the test's library.
class LibraryProcesses final : public PosixProcesses {
 public:
  LibraryProcesses(std::string instance_name, std::string app)
      : PosixProcesses(std::move(instance_name)), app_(std::move(app)) {}
  std::string AppFolder() const override { return app_; }

 private:
  std::string app_;
};

}  // namespace tavro::test
