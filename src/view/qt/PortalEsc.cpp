#include "view/qt/PortalEsc.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <cstdio>

#include "runtime/posix/PosixServices.h"
#include "view/qt/AppScope.h"
#include "view/qt/GlobalShortcutsPortal.h"
#include "view/qt/QtServices.h"

namespace tavro {

PortalEsc::PortalEsc(Processes& processes, X11Keys& keys, const QtDialogs& window)
    : processes_(processes), keys_(keys), window_(window) {}

PortalEsc::~PortalEsc() = default;

void PortalEsc::Listen(const std::string& app_id, const std::string& description) {
  app_id_ = app_id;
  description_ = description;
  const auto none = [this](const QString& why) {
    portal_state_ = Portal::kNone;
    std::fprintf(stderr,
                 "Tavro FrontEnd: this Wayland desktop offers no global shortcuts through its "
                 "portal (%s); Esc, 9 and 8 act only while an X11 window has the focus.\n",
                 why.toLocal8Bit().constData());
    std::fflush(stderr);
  };
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    none(QStringLiteral("no session bus"));
    return;
  }
  portal_state_ = Portal::kAsking;
  QDBusMessage get = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"),
      QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << QStringLiteral("org.freedesktop.portal.GlobalShortcuts") << QStringLiteral("version");
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), &context_);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context_,
                   [this, none](QDBusPendingCallWatcher* done) {
                     done->deleteLater();
                     const QDBusMessage reply = done->reply();
                     if (reply.type() == QDBusMessage::ErrorMessage) {
                       none(reply.errorMessage());
                       return;
                     }
                     portal_state_ = Portal::kThere;
                     JoinAppScope(QString::fromStdString(app_id_));
                   });
  games_ = processes_.WatchGames(
      [this](GameLife life, int games_running) { GamesChanged(life, games_running); });
}

void PortalEsc::GamesChanged(GameLife life, int games_running) {
  if (portal_state_ == Portal::kNone)
    return;
  if (life == GameLife::kEnded) {
    if (games_running == 0 && portal_)
      portal_->SetBound(false);
    return;
  }
  if (!portal_) {
    GlobalShortcutsPortal::Hooks hooks;
    hooks.activated = [this] { keys_.NotePress(HotKey::kEscape); };
    hooks.failed = [](const QString& why) {
      std::fprintf(stderr, "Tavro FrontEnd: Esc could not be bound through the portal (%s).\n",
                   why.toLocal8Bit().constData());
      std::fflush(stderr);
    };
    // A Wayland window can be named only through a protocol Qt keeps to
    // itself; an X11 window by its id.
    hooks.parent_window = [this] {
      QWidget* owner = window_.MessageOwner();
      return owner && QGuiApplication::platformName() == QStringLiteral("xcb")
                 ? QStringLiteral("x11:%1").arg(owner->winId(), 0, 16)
                 : QString();
    };
    portal_ = std::make_unique<GlobalShortcutsPortal>(
        QString::fromStdString(app_id_), QStringLiteral("tavro_frontend"),
        PortalShortcut{QStringLiteral("close-game"), QString::fromStdString(description_),
                       QStringLiteral("Escape")},
        std::move(hooks));
  }
  portal_->SetBound(true);
}

}  // namespace tavro
