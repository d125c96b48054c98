#pragma once
// The Windows roles (kernel32, user32, shell32): this process and the
// programs it starts, the drives, message boxes, keys and controllers, the
// shell's windows. The pictures are Win32UiPictures in view/win32, and
// Win32Roles there makes them all.

#include <memory>
#include <string>
#include <vector>

#include "runtime/Files.h"
#include "runtime/GameWatchers.h"
#include "runtime/win32/ShellWatcher.h"
#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/WindowEnabler.h"
#include "runtime/win32/XInputPads.h"

namespace tavro {

// Window style of a started process.
enum class WindowStyle : int { kNormalFocus = 1, kMinimizedFocus = 2 };

// The desktop and the taskbar by their window classes.
class Win32ShellWindows final : public ShellWindows {
 public:
  // watcher_program: the program started as the watcher that shows what was
  // hidden should this process be ended by force (the launcher names its own
  // .exe); empty: no watcher is started.
  explicit Win32ShellWindows(std::wstring watcher_program = {});
  ~Win32ShellWindows() override;
  Win32ShellWindows(const Win32ShellWindows&) = delete;
  Win32ShellWindows& operator=(const Win32ShellWindows&) = delete;

  std::vector<WindowHandle> FindShellWindows(ShellWindow which) override;
  void ShowShellWindow(WindowHandle window, bool visible) override;
  void EnableShellWindow(WindowHandle window, bool enable) override;
  // Asks for the shell's refresh, which FinishStart makes.
  void RefreshShellIcons() override;
  // What the start handed on, done once the window has painted (or at the
  // end, when none shows): the shell's icon refresh. Under Wine that call
  // starts a program of its own (10 to 20 ms), and a thread to make it
  // beside the start would cost a megabyte.
  void FinishStart();
  // Waits a moment for the enabling still on its way, tells the watcher to
  // end and waits a moment for it (under three seconds in all, whatever the
  // shell does): ExitProcess runs no destructor.
  void StopWatcher();

 private:
  bool shell_refresh_due_ = false;
  // Shows what the desktop keys hid should this process be ended by force.
  win32::ShellWatcher shell_watcher_;
  // The desktop's EnableWindow calls, off this thread.
  win32::WindowEnabler enabler_;
};

// Not final: the tests see the lines Shell is given, and give the program a
// folder of their own.
class Win32Processes : public Processes {
 public:
  // shell: its refresh, still due, is made before End ends the process.
  explicit Win32Processes(Win32ShellWindows& shell);
  ~Win32Processes() override;
  Win32Processes(const Win32Processes&) = delete;
  Win32Processes& operator=(const Win32Processes&) = delete;

  std::string AppFolder() const override;
  bool PreviousInstance() override;
  [[noreturn]] void End() override;
  void StartEmulator(const EmulatorCommand& command) override;
  // The line and the program StartEmulator starts: a batch file runs in the
  // system's command interpreter with its names escaped for it. Throws
  // RuntimeError when a batch file's names cannot be escaped.
  struct EmulatorStart {
    std::string line;
    std::string program;
  };
  static EmulatorStart EmulatorStartOf(const EmulatorCommand& command);
  bool GameRunning() override;
  GameSubscription WatchGames(GameListener listener) override;
  // Starts a process from a command line and returns at once; throws
  // RuntimeError when it cannot be started. When program is given it names
  // the file to run, so a program path with blanks is never searched for
  // piece by piece; the line holds the arguments. Without it the first word
  // is the program. Virtual so the tests can see the lines it is given.
  virtual void Shell(const std::string& command_line, WindowStyle style,
                     const std::string& program = {});
  void KillByImageName(const std::string& image_name) override;
  void EndStartedGames() override;
  void OpenInViewer(const std::string& path) override;

 private:
  // Shell's start, handing over the started process.
  win32::UniqueKernelHandle Start(const std::string& command_line, WindowStyle style,
                                  const std::string& program);

  Win32ShellWindows& shell_;
  std::string app_folder_;
  // Held for the process lifetime: while any instance holds a handle, the
  // named mutex exists and later instances see it.
  win32::UniqueKernelHandle instance_mutex_;
  bool instance_checked_ = false;
  bool previous_instance_ = false;
  // The games started here that had not ended at the last look.
  std::vector<win32::UniqueKernelHandle> games_;
  GameWatchers watchers_;
};

class Win32Disks final : public Disks {
 public:
  std::vector<std::string> Drives() override;
  std::string FallbackDrive() const override { return "c:"; }
};

// Not final: the view's tests record the boxes instead of showing them.
class Win32Dialogs : public Dialogs {
 public:
  void MsgBox(const std::string& prompt, const std::string& title) override;
  // The window message boxes are owned by (none until the view sets it).
  void SetOwnerWindow(WindowHandle owner) { owner_ = owner; }
  WindowHandle OwnerWindow() const { return owner_; }

 private:
  WindowHandle owner_ = 0;
};

// The keyboard through GetAsyncKeyState, the controllers through XInput.
class Win32Keys final : public Keys {
 public:
  KeyState Key(HotKey key) override;
  std::vector<std::uint32_t> ControllerButtons() override;

 private:
  win32::XInputPads pads_;
};

}  // namespace tavro
