#include "runtime/posix/DesktopSession.h"

#include <cstdlib>

#include "runtime/Text.h"

namespace tavro {

DesktopSession SessionFromEnvironment(const std::function<std::string(const char*)>& get) {
  DesktopSession session;
  const std::string desktop = text::ToLowerAscii(get("XDG_CURRENT_DESKTOP"));
  session.gamescope =
      !get("GAMESCOPE_WAYLAND_DISPLAY").empty() || desktop.find("gamescope") != std::string::npos;
  session.wayland = !get("WAYLAND_DISPLAY").empty() || get("XDG_SESSION_TYPE") == "wayland";
  session.gnome = desktop.find("gnome") != std::string::npos;
  session.user_platform = get("QT_QPA_PLATFORM");
  return session;
}

DesktopSession SessionFromEnvironment() {
  return SessionFromEnvironment([](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  });
}

std::string QtPlatformFor(const DesktopSession& session) {
  if (!session.user_platform.empty())
    return "";
  if (session.gamescope || !session.wayland)
    return "xcb";
  return session.gnome ? "xcb;wayland" : "wayland;xcb";
}

std::string AppScopeName(const std::string& app_id, int pid) {
  return "app-" + app_id + "-" + std::to_string(pid) + ".scope";
}

bool InAppScope(const std::string& cgroup, const std::string& app_id) {
  // The unified hierarchy's line, "0::/user.slice/.../app-...scope".
  const auto line = cgroup.find("0::/");
  if (line == std::string::npos)
    return false;
  const auto end = cgroup.find('\n', line);
  const std::string path = cgroup.substr(line, end == std::string::npos ? end : end - line);
  const std::string unit = path.substr(path.rfind('/') + 1);
  if (!unit.starts_with("app-") || !unit.ends_with(".scope"))
    return false;
  // The ID stands after "app-" or after "app-<launcher>-", and before
  // "-<random>".
  const std::string body = unit.substr(4, unit.size() - 4 - 6);
  const auto starts_at = [&](std::size_t at) {
    return body.compare(at, app_id.size(), app_id) == 0 && body.size() > at + app_id.size() &&
           body[at + app_id.size()] == '-';
  };
  const auto launcher_end = body.find('-');
  return starts_at(0) || (launcher_end != std::string::npos && starts_at(launcher_end + 1));
}

}  // namespace tavro
