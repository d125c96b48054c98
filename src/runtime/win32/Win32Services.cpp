#include "runtime/win32/Win32Services.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <utility>

#include "runtime/win32/InstanceMutex.h"
#include "launch/SafeNames.h"
#include "runtime/win32/ProcessGuards.h"
#include "runtime/win32/SystemPrograms.h"
#include "runtime/win32/Wide.h"

namespace tavro {

using win32::Wide;

namespace {

std::wstring ModuleFileName() {
  // Paths may be longer than MAX_PATH: grow until the name is not cut off.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD len = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (len == 0)
      return {};
    if (len < buffer.size()) {
      buffer.resize(len);
      return buffer;
    }
    if (buffer.size() >= 32768)
      return {};  // beyond the longest path Windows knows
    buffer.resize(buffer.size() * 2);
  }
}

HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

}  // namespace

Win32Services::Win32Services() {
  const auto file = ModuleFileName();
  const auto slash = file.find_last_of(L"\\/");
  app_folder_ = win32::Utf8(slash == std::wstring::npos ? std::wstring() : file.substr(0, slash));
}

Win32Services::~Win32Services() {
  FinishStart();
}

std::string Win32Services::AppFolder() const {
  return app_folder_;
}

bool Win32Services::PreviousInstance() {
  if (instance_checked_)
    return previous_instance_;
  instance_checked_ = true;
  previous_instance_ = win32::TakeInstanceMutex(L"Global\\Tavro_FrontEnd-", instance_mutex_);
  return previous_instance_;
}

void Win32Services::End() {
  FinishStart();
  shell_watcher_.Stop();
  ExitProcess(0);
}

void Win32Services::MsgBox(const std::string& prompt, const std::string& title) {
  MessageBoxW(ToHwnd(owner_), Wide(prompt).c_str(), Wide(title).c_str(), MB_OK);
}

void Win32Services::Shell(const std::string& command_line, WindowStyle style,
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
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), line.data(), nullptr,
                      nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME) {
      throw RuntimeError(err::kFileNotFound,
                         program.empty() ? "File not found" : "File not found: " + program);
    }
    throw RuntimeError(err::kFileNotFound, win32::SystemMessage(error));
  }
  // Started and left to run: nothing waits for it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void Win32Services::StartEmulator(const EmulatorCommand& command) {
  if (IsBatchFile(command.program)) {
    // Started by name, a batch file runs in the command interpreter, which
    // would expand a game's %NAME% or end its quotes: the interpreter of
    // the system is started with each name escaped for it.
    const BatchLine batch = BatchCommandLine(command);
    if (!batch.why.empty())
      throw RuntimeError(err::kBadFileName, batch.why);
    Shell("cmd.exe /d /e:ON /v:OFF /c " + batch.line, WindowStyle::kNormalFocus,
          win32::SystemFolderProgram(L"cmd.exe"));
    return;
  }
  Shell(command.CommandLine(), WindowStyle::kNormalFocus, command.program);
}

std::vector<std::string> Win32Services::Drives() {
  std::vector<std::string> drives;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (mask & (1u << i))
      drives.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
  }
  return drives;
}

KeyState Win32Services::Key(int virtual_key) {
  const auto state = static_cast<unsigned short>(GetAsyncKeyState(virtual_key));
  const bool down = (state & 0x8000) != 0;
  // The low bit says the key went down since the last look; while it is
  // still down that may be no more than its auto-repeat, so only a press let
  // go again counts as one of its own.
  return {down, !down && (state & 0x0001) != 0};
}

std::vector<std::uint32_t> Win32Services::ControllerButtons() {
  return pads_.Buttons();
}

std::vector<WindowHandle> Win32Services::FindShellWindows(ShellWindow which) {
  // The taskbar has an empty title; a null title would take any window of
  // that class, whatever its title.
  const HWND window = which == ShellWindow::kDesktop
                          ? FindWindowW(win32::kDesktopClass, win32::kDesktopTitle)
                          : FindWindowW(win32::kTaskbarClass, win32::kTaskbarTitle);
  if (!window)
    return {};
  return {reinterpret_cast<WindowHandle>(window)};
}

void Win32Services::ShowShellWindow(WindowHandle window, bool visible) {
  if (!visible)
    shell_watcher_.Hidden(window);
  ShowWindow(ToHwnd(window), visible ? SW_SHOW : SW_HIDE);
  if (visible)
    shell_watcher_.Shown(window);
}

void Win32Services::EnableShellWindow(WindowHandle window, bool enable) {
  if (!enable)
    shell_watcher_.Hidden(window);
  EnableWindow(ToHwnd(window), enable ? TRUE : FALSE);
}

void Win32Services::KillByImageName(const std::string& image_name) {
  // No name names no process (taskkill would only complain).
  if (image_name.empty())
    return;
  // A name with a blank is quoted, or taskkill takes its first word alone.
  const bool blank = image_name.find_first_of(" \t") != std::string::npos;
  // The system's own taskkill, never one found beside us first.
  Shell("taskkill /f /im " + (blank ? "\"" + image_name + "\"" : image_name),
        WindowStyle::kMinimizedFocus, win32::SystemFolderProgram(L"taskkill.exe"));
}

void Win32Services::OpenInViewer(const std::string& path) {
  // Quoted, so a path with blanks arrives as one argument.
  Shell("Explorer.exe \"" + path + "\"", WindowStyle::kMinimizedFocus,
        win32::WindowsFolderProgram(L"explorer.exe"));
}

void Win32Services::RefreshShellIcons() {
  shell_refresh_due_ = true;
}

void Win32Services::FinishStart() {
  if (std::exchange(shell_refresh_due_, false))
    SHChangeNotify(SHCNE_ASSOCCHANGED, 0x2000, nullptr, nullptr);
}

}  // namespace tavro
