#pragma once
// What kind of desktop session the launcher runs in, read from the
// environment, and what follows from it: the window system the window uses,
// whether Esc is also asked of the desktop portal, and the systemd scope
// through which the portal learns the program's application ID.

#include <functional>
#include <string>

namespace tavro {

struct DesktopSession {
  // A Wayland compositor holds the screen (WAYLAND_DISPLAY): the X key
  // listener hears only keys typed into X11 windows (XWayland).
  bool wayland = false;
  // GNOME draws no frame around a Wayland window of another toolkit.
  bool gnome = false;
  // Steam's game mode (gamescope): only X11 windows are shown and focused,
  // so it counts as an X11 session whatever else is set.
  bool gamescope = false;
  // QT_QPA_PLATFORM as the user set it: their choice stands.
  std::string user_platform;
};

// get returns the variable's value, "" when unset.
DesktopSession SessionFromEnvironment(const std::function<std::string(const char*)>& get);
DesktopSession SessionFromEnvironment();

// The Qt platforms to try, in order, joined by ";" (Qt's -platform
// argument); "" when the user chose one. The window is a native Wayland
// window on a Wayland desktop, except on GNOME (no frame) and gamescope (not
// shown), where it is an X11 window through XWayland; X11 on X11 sessions.
// The other one follows as a fallback where the first cannot open.
std::string QtPlatformFor(const DesktopSession& session);

// True when Esc is asked of the desktop portal as well: a Wayland session.
inline bool WantsPortalKeys(const DesktopSession& session) {
  return session.wayland && !session.gamescope;
}

// The transient systemd scope that names this program to the desktop portal
// (versions before 1.19 read a host program's application ID from its
// unit, "app-<ID>-<random>.scope"), and whether the process is already in
// one of ours, as a desktop's launcher puts it ("app-<launcher>-<ID>-...").
// cgroup is the text of /proc/self/cgroup.
std::string AppScopeName(const std::string& app_id, int pid);
bool InAppScope(const std::string& cgroup, const std::string& app_id);

}  // namespace tavro
