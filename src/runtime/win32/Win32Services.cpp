#include "runtime/win32/Win32Services.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>
#include <optional>
#include <utility>

#include "runtime/SafeNames.h"
#include "runtime/Text.h"
#include "runtime/win32/BoxText.h"
#include "runtime/win32/InstanceMutex.h"
#include "runtime/win32/LongProgramStart.h"
#include "runtime/win32/ProcessGuards.h"
#include "runtime/win32/SystemCalls.h"
#include "runtime/win32/SystemPrograms.h"
#include "runtime/win32/Wide.h"

namespace tavro {

using win32::Wide;

namespace {

HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

}  // namespace

Win32Processes::Win32Processes(Win32ShellWindows& shell) : shell_(shell) {
  const auto file = win32::OwnProgram();
  const auto slash = file.find_last_of(L"\\/");
  app_folder_ = win32::Utf8(slash == std::wstring::npos ? std::wstring() : file.substr(0, slash));
}

Win32Processes::~Win32Processes() = default;

Win32ShellWindows::Win32ShellWindows(std::wstring watcher_program)
    : shell_watcher_(std::move(watcher_program)) {}

Win32ShellWindows::~Win32ShellWindows() {
  FinishStart();
  StopWatcher();
}

std::string Win32Processes::AppFolder() const {
  return app_folder_;
}

bool Win32Processes::PreviousInstance() {
  if (instance_checked_)
    return previous_instance_;
  instance_checked_ = true;
  previous_instance_ = win32::TakeInstanceMutex(L"Global\\Tavro_FrontEnd-", instance_mutex_);
  return previous_instance_;
}

void Win32Processes::End() {
  shell_.FinishStart();
  // ExitProcess runs no destructor: the watcher is told to end here.
  shell_.StopWatcher();
  ExitProcess(0);
}

void Win32Dialogs::MsgBox(const std::string& prompt, const std::string& title) {
  MessageBoxW(ToHwnd(owner_), Wide(win32::FitTextForBox(prompt, ToHwnd(owner_))).c_str(),
              Wide(title).c_str(), MB_OK);
}

win32::UniqueKernelHandle Win32Processes::Start(const std::string& command_line, WindowStyle style,
                                                const std::string& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(style);
  PROCESS_INFORMATION process{};
  const std::wstring application = Wide(program);
  // CreateProcessW may write into the command line: a copy of our own.
  std::wstring line = Wide(command_line);
  // Windows refuses a longer line, and Wine cuts it short (the game's path
  // lost at the end): never started.
  if (line.size() >= 32767)
    throw RuntimeError(err::kBadFileName, "The command line is too long");
  std::optional<win32::LongProgramStart> long_start;
  if (application.size() >= MAX_PATH)
    long_start.emplace(application);
  const wchar_t* name = application.empty() ? nullptr : application.c_str();
  const BOOL started = CreateProcessW(
      long_start ? long_start->Application() : name, line.data(), nullptr, nullptr, FALSE, 0,
      nullptr, long_start ? long_start->CurrentFolder() : nullptr, &startup, &process);
  const DWORD error = GetLastError();
  const bool long_path = long_start.has_value();
  long_start.reset();  // our current folder back at once
  if (!started) {
    if (long_path) {
      throw RuntimeError(err::kBadFileName,
                         "the path is " + std::to_string(application.size()) +
                             " characters long, which the system starts no program from (" +
                             win32::SystemMessage(error) + ")");
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME) {
      throw RuntimeError(err::kFileNotFound, program.empty()
                                                 ? "File not found"
                                                 : "File not found: " + text::NameForBox(program));
    }
    throw RuntimeError(err::kFileNotFound, win32::SystemMessage(error));
  }
  CloseHandle(process.hThread);
  return win32::UniqueKernelHandle(process.hProcess);
}

void Win32Processes::Shell(const std::string& command_line, WindowStyle style,
                           const std::string& program) {
  // Started and left to run: nothing waits for it.
  Start(command_line, style, program);
}

Win32Processes::EmulatorStart Win32Processes::EmulatorStartOf(const EmulatorCommand& command) {
  if (!IsBatchFile(command.program))
    return {command.CommandLine(), command.program};
  // Started by name, a batch file runs in the command interpreter, which
  // would expand a game's %NAME% or end its quotes: the interpreter of the
  // system is started with each name escaped for it, and the game runs as
  // long as it does.
  const BatchLine batch = BatchCommandLine(command);
  if (!batch.why.empty())
    throw RuntimeError(err::kBadFileName, batch.why);
  return {"cmd.exe /d /e:ON /v:OFF /c " + batch.line, win32::SystemFolderProgram(L"cmd.exe")};
}

void Win32Processes::StartEmulator(const EmulatorCommand& command) {
  const EmulatorStart start = EmulatorStartOf(command);
  games_.push_back(Start(start.line, WindowStyle::kNormalFocus, start.program));
  watchers_.Tell(GameLife::kStarted, static_cast<int>(games_.size()));
}

bool Win32Processes::GameRunning() {
  return watchers_.DropEnded(
      games_, [](const auto& game) { return WaitForSingleObject(game.get(), 0) != WAIT_TIMEOUT; });
}

void Win32Processes::EndStartedGames() {
  // Their ends are noticed and told by the next GameRunning.
  for (const auto& game : games_)
    TerminateProcess(game.get(), 1);
}

GameSubscription Win32Processes::WatchGames(GameListener listener) {
  return watchers_.Subscribe(std::move(listener));
}

std::vector<std::string> Win32Disks::Drives() {
  std::vector<std::string> drives;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (mask & (1u << i))
      drives.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
  }
  return drives;
}

KeyState Win32Keys::Key(HotKey key) {
  const int virtual_key = key == HotKey::kEscape ? VK_ESCAPE : key == HotKey::kNine ? '9' : '8';
  const auto state = static_cast<unsigned short>(GetAsyncKeyState(virtual_key));
  const bool down = (state & 0x8000) != 0;
  // The low bit says the key went down since the last look; while it is
  // still down that may be no more than its auto-repeat, so only a press let
  // go again counts as one of its own.
  return {down, !down && (state & 0x0001) != 0};
}

std::vector<std::uint32_t> Win32Keys::ControllerButtons() {
  return pads_.Buttons();
}

std::vector<WindowHandle> Win32ShellWindows::FindShellWindows(ShellWindow which) {
  // The taskbar has an empty title; a null title would take any window of
  // that class, whatever its title.
  const HWND window = which == ShellWindow::kDesktop
                          ? FindWindowW(win32::kDesktopClass, win32::kDesktopTitle)
                          : FindWindowW(win32::kTaskbarClass, win32::kTaskbarTitle);
  if (!window)
    return {};
  return {reinterpret_cast<WindowHandle>(window)};
}

void Win32ShellWindows::ShowShellWindow(WindowHandle window, bool visible) {
  if (!visible)
    shell_watcher_.Hidden(window);
  // Posted: a shell that stopped answering must not hold the launcher.
  ShowWindowAsync(ToHwnd(window), visible ? SW_SHOW : SW_HIDE);
  if (visible)
    shell_watcher_.Shown(window);
}

void Win32ShellWindows::EnableShellWindow(WindowHandle window, bool enable) {
  if (!enable)
    shell_watcher_.Hidden(window);
  enabler_.Enable(ToHwnd(window), enable);
}

void Win32ShellWindows::StopWatcher() {
  // Within the launcher's three seconds from its close: a moment for the
  // shell to take what is still on its way; what it has not taken by then
  // is left to the watcher, which may wait for a shell that stopped
  // answering as long as it takes.
  for (const HWND window : enabler_.Finish(500))
    shell_watcher_.Hidden(reinterpret_cast<WindowHandle>(window));
  shell_watcher_.Stop();
}

void Win32Processes::KillByImageName(const std::string& image_name) {
  // No name names no process (taskkill would only complain).
  if (image_name.empty())
    return;
  // A name with a blank is quoted, or taskkill takes its first word alone.
  const bool blank = image_name.find_first_of(" \t") != std::string::npos;
  // The system's own taskkill, never one found beside us first; the native
  // one (see TaskkillProgram), which sees a 64-bit emulator too.
  Shell("taskkill /f /im " + (blank ? "\"" + image_name + "\"" : image_name),
        WindowStyle::kMinimizedFocus, win32::TaskkillProgram());
}

void Win32Processes::OpenInViewer(const std::string& path) {
  // Quoted, so a path with blanks arrives as one argument.
  Shell("Explorer.exe \"" + path + "\"", WindowStyle::kMinimizedFocus,
        win32::WindowsFolderProgram(L"explorer.exe"));
}

void Win32ShellWindows::RefreshShellIcons() {
  shell_refresh_due_ = true;
}

void Win32ShellWindows::FinishStart() {
  if (std::exchange(shell_refresh_due_, false))
    win32::sys::SHChangeNotify(SHCNE_ASSOCCHANGED, 0x2000, nullptr, nullptr);
}

}  // namespace tavro
