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

class RecordingServices final : public Win32UiServices {
 public:
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
    return drives.empty() ? Win32UiServices::Drives() : drives;
  }
  std::vector<MessageBoxCall> boxes;
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
  MainWindow view{form, services, ViewOptions{false}};
};

}  // namespace tavro::win32ui::test
