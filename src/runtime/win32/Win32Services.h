#pragma once
// The Windows implementation of the OS services (kernel32, user32, shell32).
// The view's services (message box owner, pictures) are added by
// Win32UiServices in view/win32.

#include <memory>
#include <string>
#include <vector>

#include "runtime/Files.h"
#include "runtime/win32/ShellWatcher.h"
#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/XInputPads.h"

namespace tavro {

// Window style of a started process.
enum class WindowStyle : int { kNormalFocus = 1, kMinimizedFocus = 2 };

class Win32Services : public Services {
 public:
  Win32Services();
  ~Win32Services() override;

  std::string AppFolder() const override;
  bool PreviousInstance() override;
  [[noreturn]] void End() override;
  void MsgBox(const std::string& prompt, const std::string& title) override;
  void StartEmulator(const EmulatorCommand& command) override;
  // Starts a process from a command line and returns at once; throws
  // RuntimeError when it cannot be started. When program is given it names
  // the file to run, so a program path with blanks is never searched for
  // piece by piece; the line holds the arguments. Without it the first word
  // is the program. Virtual so the tests can see the lines it is given.
  virtual void Shell(const std::string& command_line, WindowStyle style,
                     const std::string& program = {});
  std::vector<std::string> Drives() override;
  std::string FallbackDrive() const override { return "c:"; }
  KeyState Key(int virtual_key) override;
  std::vector<std::uint32_t> ControllerButtons() override;
  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override;
  void ShowShellWindow(WindowHandle window, bool visible) override;
  void EnableShellWindow(WindowHandle window, bool enable) override;
  void KillByImageName(const std::string& image_name) override;
  void OpenInViewer(const std::string& path) override;
  // Asks for the shell's refresh, which FinishStart makes.
  void RefreshShellIcons() override;
  // What the start handed on, done once the window has painted (or at the
  // end, when none shows): the shell's icon refresh. Under Wine that call
  // starts a program of its own (10 to 20 ms), and a thread to make it
  // beside the start would cost a megabyte.
  void FinishStart();

 protected:
  // The window message boxes are owned by (none until the view sets it).
  void SetOwnerWindow(WindowHandle owner) { owner_ = owner; }
  WindowHandle OwnerWindow() const { return owner_; }

 private:
  std::string app_folder_;
  // Held for the process lifetime: while any instance holds a handle, the
  // named mutex exists and later instances see it.
  win32::UniqueKernelHandle instance_mutex_;
  bool instance_checked_ = false;
  bool previous_instance_ = false;
  WindowHandle owner_ = 0;
  win32::XInputPads pads_;
  bool shell_refresh_due_ = false;
  // Shows what the desktop keys hid should this process be ended by force.
  win32::ShellWatcher shell_watcher_;
};

}  // namespace tavro
