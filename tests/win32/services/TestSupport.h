#pragma once
// Shared pieces of the Windows services tests: the services with the view's
// part left out, Unicode temp folders, raw file access through the W
// functions (so a check does not go through the code under test), and
// starting this test program again as a child.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/Wide.h"
#include "runtime/win32/Win32Services.h"

namespace tavro::test {

using win32::UniqueKernelHandle;
using win32::Utf8;
using win32::Wide;

// The Windows roles as the program makes them, but for the pictures, which
// belong to the view (these tests never ask for one). One object answers for
// every role, each call passed to the real role object.
class TestServices final : public Processes,
                           public Disks,
                           public Dialogs,
                           public Keys,
                           public Pictures,
                           public ShellWindows {
 public:
  // watcher: the program started as the shell windows' watcher (none: no
  // watcher, as most tests want).
  explicit TestServices(std::wstring watcher = {}) : shell_(std::move(watcher)) {}

  std::string AppFolder() const override { return processes_.AppFolder(); }
  bool PreviousInstance() override { return processes_.PreviousInstance(); }
  [[noreturn]] void End() override { processes_.End(); }
  void StartEmulator(const EmulatorCommand& command) override { processes_.StartEmulator(command); }
  bool GameRunning() override { return processes_.GameRunning(); }
  GameSubscription WatchGames(GameListener listener) override {
    return processes_.WatchGames(std::move(listener));
  }
  void Shell(const std::string& line, WindowStyle style, const std::string& program = {}) {
    processes_.Shell(line, style, program);
  }
  void KillByImageName(const std::string& name) override { processes_.KillByImageName(name); }
  void EndStartedGames() override { processes_.EndStartedGames(); }
  void OpenInViewer(const std::string& path) override { processes_.OpenInViewer(path); }
  std::vector<std::string> Drives() override { return disks_.Drives(); }
  std::string FallbackDrive() const override { return disks_.FallbackDrive(); }
  void MsgBox(const std::string& prompt, const std::string& title) override {
    dialogs_.MsgBox(prompt, title);
  }
  KeyState Key(HotKey key) override { return keys_.Key(key); }
  std::vector<std::uint32_t> ControllerButtons() override { return keys_.ControllerButtons(); }
  PicturePtr LoadPictureToFit(const std::string&, int, int) override {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
  PicturePtr LoadResourcePicture(ResourcePicture) override {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
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

 private:
  Win32ShellWindows shell_;
  Win32Processes processes_{shell_};
  Win32Disks disks_;
  Win32Dialogs dialogs_;
  Win32Keys keys_;
};

// A fresh folder under the temp folder, named with the given (Unicode) text;
// removed with everything in it, read-only files included.
class TempFolder final {
 public:
  explicit TempFolder(const std::string& name);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
// The exact bytes of a file; throws when it cannot be read.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The names in a folder, as the system lists them.
std::vector<std::string> ListFolder(const std::string& path);
// Makes a folder and its missing parents.
void MakeFolders(const std::string& path);
void CopyFileTo(const std::string& from, const std::string& to);
// Waits (up to a generous bound, so a broken start cannot hang the suite)
// for a file to appear; false when it never does.
bool WaitForFile(const std::string& path);

// This test program's full path.
std::string SelfPath();
// Starts this test program with the arguments (already quoted as needed).
UniqueKernelHandle StartSelf(const std::string& arguments);
// Waits for a process to end and gives its exit code (-1: it did not end).
int WaitForExit(const UniqueKernelHandle& process);

// A named event, unique to this test process.
class NamedEvent final {
 public:
  explicit NamedEvent(const std::string& tag);
  const std::string& Name() const { return name_; }
  void Set() const { SetEvent(handle_.get()); }
  bool Wait() const;
  HANDLE Handle() const { return handle_.get(); }

 private:
  std::string name_;
  UniqueKernelHandle handle_;
};

}  // namespace tavro::test
