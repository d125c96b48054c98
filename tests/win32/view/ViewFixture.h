#pragma once
// The real Win32 view around a real Form1, in this process: only message
// boxes are recorded instead of shown, and the shell windows are not
// touched (the view's close runs Form_Unload, which would show Wine's own
// taskbar).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "view/win32/MainWindow.h"
#include "view/win32/Win32Picture.h"
#include "view/win32/Win32UiServices.h"
#include "window/Form1.h"

namespace tavro::win32ui::test {

// A pixel of a decoded picture's own bitmap.
COLORREF PixelOf(const Win32Picture& picture, int x, int y);

struct MessageBoxCall {
  std::string title;
  std::string prompt;
};

// The program's roles, with the message boxes and the pages for the viewer
// recorded instead of shown, and the shell windows' finding and the drives
// seen; every other call goes to the real role.
class RecordingServices final : public Processes,
                                public Disks,
                                public Dialogs,
                                public Keys,
                                public Pictures,
                                public ShellWindows {
 public:
  operator Services() { return {*this, *this, *this, *this, *this, *this}; }

  void MsgBox(const std::string& prompt, const std::string& title) override {
    boxes.push_back({title, prompt});
  }
  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override {
    shell_requests.push_back(which);
    return {};
  }
  // The system's drives, or those a test sets.
  std::vector<std::string> Drives() override {
    ++drive_reads;
    return drives.empty() ? roles.disks.Drives() : drives;
  }

  std::string AppFolder() const override { return roles.processes.AppFolder(); }
  bool PreviousInstance() override { return roles.processes.PreviousInstance(); }
  [[noreturn]] void End() override { roles.processes.End(); }
  void StartEmulator(const EmulatorCommand& command) override {
    roles.processes.StartEmulator(command);
  }
  bool GameRunning() override { return roles.processes.GameRunning(); }
  GameSubscription WatchGames(GameListener listener) override {
    return roles.processes.WatchGames(std::move(listener));
  }
  void KillByImageName(const std::string& name) override { roles.processes.KillByImageName(name); }
  void EndStartedGames() override { roles.processes.EndStartedGames(); }
  void OpenInViewer(const std::string& path) override { viewed.push_back(path); }
  std::string FallbackDrive() const override { return roles.disks.FallbackDrive(); }
  KeyState Key(HotKey key) override { return roles.keys.Key(key); }
  std::vector<std::uint32_t> ControllerButtons() override { return roles.keys.ControllerButtons(); }
  PicturePtr LoadPictureToFit(const std::string& path, int width, int height) override {
    return roles.pictures.LoadPictureToFit(path, width, height);
  }
  PicturePtr LoadResourcePicture(ResourcePicture which) override {
    return roles.pictures.LoadResourcePicture(which);
  }
  PicturePtr PictureFromRgba(int width, int height,
                             const std::vector<std::uint8_t>& rgba) override {
    return roles.pictures.PictureFromRgba(width, height, rgba);
  }
  void ShowShellWindow(WindowHandle window, bool visible) override {
    roles.shell_windows.ShowShellWindow(window, visible);
  }
  void EnableShellWindow(WindowHandle window, bool enable) override {
    roles.shell_windows.EnableShellWindow(window, enable);
  }
  void RefreshShellIcons() override { roles.shell_windows.RefreshShellIcons(); }

  Win32Roles roles;
  std::vector<MessageBoxCall> boxes;
  std::vector<std::string> viewed;  // pages handed to the viewer, which is not started
  std::vector<ShellWindow> shell_requests;
  std::vector<std::string> drives;
  int drive_reads = 0;
};

// Dispatches what is queued, the view's dialog keys first.
void Pump(MainWindow& view);
// Pumps until done() holds or about ten seconds pass; returns done().
bool PumpUntil(MainWindow& view, const std::function<bool()>& done);

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND Main() const { return view.Window(); }
  HWND Win(const char* id) const { return view.ControlWindow(id); }
  // A control's rectangle relative to its container's top-left (the frame's
  // window, or the main window's client area).
  RECT RectInContainer(const ControlDesign& row) const;
  // The pixel a window shows at a point of its client area.
  COLORREF PixelAt(HWND window, int x, int y) const;
  // What Windows sends when the window moves to a screen of another DPI.
  void MoveToDpi(UINT dpi);

  RecordingServices services;
  Form1 form{services};
  MainWindow view{form, services.roles, ViewOptions{false}};
};

}  // namespace tavro::win32ui::test
