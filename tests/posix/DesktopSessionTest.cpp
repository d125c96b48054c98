// The session read from the environment: the window system, the portal listener, the own scope.
#include <gtest/gtest.h>

#include "runtime/posix/DesktopSession.h"

namespace tavro {

TEST(DesktopSessionTest, TheWindowSystemThePortalAndTheScope) {
  for (const auto& [environment, platform, portal] :
       std::vector<std::tuple<std::string, std::string, bool>>{
           {" DISPLAY=:0", "xcb", false},
           {" WAYLAND_DISPLAY=w XDG_CURRENT_DESKTOP=KDE", "wayland;xcb", true},
           {" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=ubuntu:GNOME", "xcb;wayland", true},
           {" WAYLAND_DISPLAY=g GAMESCOPE_WAYLAND_DISPLAY=g", "xcb", false},
           {" WAYLAND_DISPLAY=w QT_QPA_PLATFORM=xcb", "", true}}) {
    const DesktopSession session = SessionFromEnvironment([&](const char* name) {
      const auto at = environment.find(" " + std::string(name) + "="), from = at + strlen(name) + 2;
      return at == std::string::npos ? ""
                                     : environment.substr(from, environment.find(' ', from) - from);
    });
    EXPECT_EQ(QtPlatformFor(session), platform) << environment;
    EXPECT_EQ(WantsPortalKeys(session), portal) << environment;
  }
  const std::string id = "org.example.TavroFrontEnd", slice = "1:pids:/\n0::/user.slice/app.slice/";
  EXPECT_TRUE(InAppScope(slice + "app-gnome-org.example.TavroFrontEnd-5102.scope\n", id));
  EXPECT_FALSE(InAppScope(slice + "app-org.example.TavroFrontEnd.Helper-7.scope\n", id));
}

}  // namespace tavro
