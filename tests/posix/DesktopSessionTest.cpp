// The session read from the environment: the window system, the portal
// listener, and the systemd scope that names the program to the portal.
#include <gtest/gtest.h>

#include <map>

#include "runtime/posix/DesktopSession.h"

namespace tavro {
namespace {

TEST(DesktopSessionTest, TheWindowSystemAndThePortalFollowTheSession) {
  const struct {
    std::map<std::string, std::string> environment;
    std::string platform;
    bool portal;
  } rows[] = {
      {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}, "xcb", false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}, {"XDG_CURRENT_DESKTOP", "KDE"}},
       "wayland;xcb",
       true},
      {{{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}},
       "xcb;wayland",
       true},
      {{{"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_CURRENT_DESKTOP", "Hyprland"}},
       "wayland;xcb",
       true},
      {{{"WAYLAND_DISPLAY", "gamescope-0"}, {"GAMESCOPE_WAYLAND_DISPLAY", "gamescope-0"}},
       "xcb",
       false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"QT_QPA_PLATFORM", "xcb"}}, "", true},
  };
  for (const auto& row : rows) {
    const DesktopSession session = SessionFromEnvironment([&](const char* name) {
      const auto found = row.environment.find(name);
      return found == row.environment.end() ? std::string() : found->second;
    });
    EXPECT_EQ(QtPlatformFor(session), row.platform) << row.platform;
    EXPECT_EQ(WantsPortalKeys(session), row.portal) << row.platform;
  }
}

TEST(DesktopSessionTest, AScopeNamedAfterTheIdWhoeverMadeIt) {
  const std::string id = "org.example.TavroFrontEnd";
  EXPECT_EQ(AppScopeName(id, 42), "app-org.example.TavroFrontEnd-42.scope");
  const std::string slice = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";
  for (const auto& [unit, ours] :
       std::map<std::string, bool>{{"app-org.example.TavroFrontEnd-42.scope", true},
                                   {"app-gnome-org.example.TavroFrontEnd-5102.scope", true},
                                   {"app-org.kde.konsole-a1b2.scope", false},
                                   {"app-org.example.TavroFrontEnd.Helper-7.scope", false},
                                   {"app-org.example.TavroFrontEnd-3.service", false},
                                   {"session-2.scope", false}}) {
    EXPECT_EQ(InAppScope("12:pids:/x\n" + slice + unit + "\n", id), ours) << unit;
  }
  EXPECT_FALSE(InAppScope("", id));
}

}  // namespace
}  // namespace tavro
