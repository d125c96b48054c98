#pragma once
// One global shortcut through the desktop portal
// (org.freedesktop.portal.GlobalShortcuts), the one way a Wayland client
// hears a key while another program has the focus. The shortcut is bound
// while a portal session is open and free for every other program once it
// is closed.
//
// The portal's answers come as signals on request objects; everything here
// runs on the GUI thread's event loop and never waits for the desktop (which
// may ask the user first).

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>

class QDBusObjectPath;

namespace tavro {

struct PortalShortcut {
  QString id;           // the program's own name for it
  QString description;  // what the desktop shows the user
  QString trigger;      // the key asked for, in the XDG shortcuts format ("Escape")
};

// The requests' answers name the object they come from through the
// D-Bus context of the slot that receives them.
class GlobalShortcutsPortal final : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<void()> activated;  // the shortcut was pressed
    // A session could not be opened (refused, cancelled, no portal): the
    // shortcut is not bound. The text says why.
    std::function<void(const QString&)> failed;
    // The window a desktop that asks the user first puts its question over,
    // in the portal's form ("x11:<id>"), or "" for none.
    std::function<QString()> parent_window;
  };

  // The calls go through a connection of the program's own, so that the
  // application ID registered first on it (portal 1.19 and later) is the
  // one the portal files the session under. token names the program's
  // sessions; KDE names the shortcuts' group after it when the portal knows
  // no application ID.
  GlobalShortcutsPortal(const QString& app_id, const QString& token, PortalShortcut shortcut,
                        Hooks hooks);
  ~GlobalShortcutsPortal() override;  // closes an open session
  GlobalShortcutsPortal(const GlobalShortcutsPortal&) = delete;
  GlobalShortcutsPortal& operator=(const GlobalShortcutsPortal&) = delete;

  // Opens a session (true) or closes it (false); asking again for what was
  // asked last changes nothing. A session still being opened when false
  // comes is closed as soon as the portal has made it.
  void SetBound(bool bound);

 private slots:
  void OnResponse(uint response, const QVariantMap& results);
  void OnActivated(const QDBusObjectPath& session, const QString& shortcut_id, qulonglong timestamp,
                   const QVariantMap& options);
  void OnSessionClosed(const QVariantMap& details);

 private:
  enum class State { kClosed, kOpening, kOpen };
  using Answer = std::function<void(uint response, const QVariantMap& results)>;

  void Register(std::function<void()> then);
  void CreateSession();
  void Opened(const QString& session);
  void Close();
  // Calls a portal method that answers through a request object; the last
  // argument is the options, to which the request's token is added.
  void Request(const QString& method, QVariantList arguments, QVariantMap options, Answer answer);
  QDBusMessage PortalCall(const QString& method, const QVariantList& arguments) const;

  QDBusConnection bus_;
  QString app_id_;
  QString token_;
  PortalShortcut shortcut_;
  Hooks hooks_;
  State state_ = State::kClosed;
  bool wanted_ = false;
  bool registered_ = false;
  QString session_;
  int next_request_ = 0;
  std::map<QString, Answer> answers_;  // by request object path
};

}  // namespace tavro
