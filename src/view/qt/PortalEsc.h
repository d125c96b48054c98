#pragma once
// Esc through the desktop portal on a Wayland desktop: the X listener hears
// no key typed into a Wayland window, so Esc is also asked of the portal's
// GlobalShortcuts, under the program's application ID and described as in
// the window's legend. Bound only while a game started here runs (a portal
// shortcut takes the key from every other program).

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "runtime/Runtime.h"

namespace tavro {

class GlobalShortcutsPortal;
class QtDialogs;
class X11Keys;

class PortalEsc final {
 public:
  // keys hears the portal's presses; the window is the one message boxes
  // belong to, named to the portal as the shortcut's parent.
  PortalEsc(Processes& processes, X11Keys& keys, const QtDialogs& window);
  ~PortalEsc();
  PortalEsc(const PortalEsc&) = delete;
  PortalEsc& operator=(const PortalEsc&) = delete;

  // Asks whether the session has the portal, and from then on binds Esc
  // while a game runs. A session without the portal is told once on
  // standard error, without a box.
  void Listen(const std::string& app_id, const std::string& description);

 private:
  void GamesChanged(GameLife life, int games_running);

  Processes& processes_;
  X11Keys& keys_;
  const QtDialogs& window_;
  QObject context_;  // what the D-Bus answers report to; gone with this object
  enum class Portal { kNone, kAsking, kThere } portal_state_ = Portal::kNone;
  std::string app_id_;
  std::string description_;
  std::unique_ptr<GlobalShortcutsPortal> portal_;  // made at the first start of a game
  GameSubscription games_;
};

}  // namespace tavro
