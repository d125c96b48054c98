#pragma once
// Services for the core tests: real temporary folders for the file system,
// and a record of everything else (message boxes, started processes, shell
// window calls, the order of start-up calls).

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Files.h"
#include "runtime/GameWatchers.h"

namespace tavro::test {

// Thrown by the fake End so a test can see the program end; it is no
// std::exception, so no trap of the program catches it.
struct EndCalled {};

class FakePicture final : public Picture {
 public:
  FakePicture(std::string source, int width, int height)
      : source_(std::move(source)), width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::string& Source() const { return source_; }

 private:
  std::string source_;
  int width_, height_;
};

// A unique empty folder, removed with everything in it at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& name_part = "tavro");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string Utf8() const { return tavro::Utf8(path_); }
  // The text of a path below a temporary folder.
  static std::string Utf8Of(const TempDir& dir, const std::string& name) {
    return tavro::Utf8(dir.path_ / FsPath(name));
  }

 private:
  std::filesystem::path path_;
};

// Every role in one object, so that one record keeps the order of calls
// across the roles; handed to the form as Services.
class FakeServices : public Processes,
                     public Disks,
                     public Dialogs,
                     public Keys,
                     public Pictures,
                     public ShellWindows {
 public:
  // The drive list holds the drive of the program's folder ("/" or "C:").
  explicit FakeServices(std::string app_folder)
      : drives{RootOf(app_folder)}, app_folder_(std::move(app_folder)) {}

  struct Message {
    std::string prompt;
    std::string title;
  };
  struct ShellWin {
    WindowHandle handle;
    ShellWindow kind;
    bool visible = true;
    bool enabled = true;
  };

  std::string AppFolder() const override { return app_folder_; }
  bool PreviousInstance() override;
  [[noreturn]] void End() override;
  void MsgBox(const std::string& prompt, const std::string& title) override;
  void StartEmulator(const EmulatorCommand& command) override;
  bool GameRunning() override {
    ++game_polls;
    return games_running > 0;
  }
  GameSubscription WatchGames(GameListener listener) override {
    return watchers.Subscribe(std::move(listener));
  }
  // The picture the fake decodes from a file (see FakeServices.cpp).
  PicturePtr LoadPicture(const std::string& path);
  PicturePtr LoadPictureToFit(const std::string& path, int width, int height) override {
    fitted.push_back(path + " " + std::to_string(width) + "x" + std::to_string(height));
    return LoadPicture(path);
  }
  PicturePtr LoadResourcePicture(ResourcePicture which) override;
  // "rgba:<width>x<height>:<each pixel as 8 hex digits, RGBA, comma-separated>"
  PicturePtr PictureFromRgba(int width, int height, const std::vector<std::uint8_t>& rgba) override;
  std::vector<std::string> Drives() override { return drives; }
  std::string FallbackDrive() const override { return drives.empty() ? "" : drives.front(); }
  KeyState Key(HotKey key) override;
  std::vector<std::uint32_t> ControllerButtons() override { return controllers; }
  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override;
  void ShowShellWindow(WindowHandle window, bool visible) override;
  void EnableShellWindow(WindowHandle window, bool enable) override;
  void KillByImageName(const std::string& image_name) override;
  // Recorded as "end|<games running>" when any runs; then none runs.
  void EndStartedGames() override {
    if (games_running > 0)
      started.push_back("end|" + std::to_string(std::exchange(games_running, 0)));
  }
  bool RunsInstalledApps() const override { return runs_flatpaks; }
  bool AppInstalled(const std::string& app_id) override {
    return flatpaks_installed.count(app_id) > 0;
  }
  void StartApp(const std::string& app_id, const EmulatorCommand& command) override;
  void EndApp(const std::string& app_id) override {
    started.push_back("flatpak kill|" + app_id);
  }
  void OpenInViewer(const std::string& path) override;
  void RefreshShellIcons() override { calls.push_back("RefreshShellIcons"); }

  // What the program did, in order: "RefreshShellIcons", "PreviousInstance",
  // "MsgBox:<prompt>", "End", "Show:<handle>:<cmd>", "Enable:<handle>:<0|1>".
  std::vector<std::string> calls;
  std::vector<Message> messages;
  std::vector<std::string> started;
  std::vector<EmulatorCommand> emulators;
  // The pictures decoded to fit a box: "<path> <width>x<height>".
  std::vector<std::string> fitted;
  // Lets a test make a process start fail, or the emulator's start refuse
  // its name (err::kBadFileName) for this reason.
  bool fail_starts = false;
  std::string start_refused;
  std::vector<ShellWin> shell_windows;
  std::vector<std::string> drives;
  // Each key's state as bits: kKeyDown (down now), kKeyPressed (pressed since
  // the last look).
  static constexpr int kKeyDown = 0x8000;
  static constexpr int kKeyPressed = 0x0001;
  std::map<HotKey, int> key_states;
  std::vector<std::uint32_t> controllers;
  bool another_instance_runs = false;
  // A platform that runs Flatpak applications, and those installed.
  bool runs_flatpaks = false;
  std::set<std::string> flatpaks_installed;
  // Lets a test make a message box fail.
  std::function<void(const Message&)> on_message;

  // How often GameRunning was asked, and what it answers.
  int game_polls = 0;
  int games_running = 0;
  GameWatchers watchers;

  ShellWin* Window(WindowHandle handle);

  operator Services() { return {*this, *this, *this, *this, *this, *this}; }

 private:
  static std::string RootOf(const std::string& folder) {
    const auto p = FsPath(folder);
    return tavro::Utf8(p.has_root_name() ? p.root_name() : p.root_path());
  }
  std::string app_folder_;
};

}  // namespace tavro::test
