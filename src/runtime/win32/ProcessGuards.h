#pragma once
// What the process sets up before anything else, so that neither a drive
// without a medium nor a crash leaves the user worse off.

namespace tavro::win32 {

// The shell's windows the desktop keys hide: the desktop ("Progman",
// "Program Manager") and the taskbar ("Shell_TrayWnd", an empty title).
inline constexpr const wchar_t* kDesktopClass = L"Progman";
inline constexpr const wchar_t* kDesktopTitle = L"Program Manager";
inline constexpr const wchar_t* kTaskbarClass = L"Shell_TrayWnd";
inline constexpr const wchar_t* kTaskbarTitle = L"";

// Called once, first thing in the program:
// - a drive without a medium fails quietly instead of raising the system's
//   "no disk" box (the drive list and the folder list touch drives);
// - a crash (an unhandled exception, or std::terminate) shows the desktop
//   and the taskbar again before the process goes, as closing does.
void GuardProcess();

// Shows the desktop and the taskbar, looked up afresh. Safe in a crashing
// process: no allocation, no lock of ours.
void ShowShellWindowsAgain() noexcept;

}  // namespace tavro::win32
