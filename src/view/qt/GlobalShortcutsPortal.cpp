#include "view/qt/GlobalShortcutsPortal.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QList>

namespace {

// One entry of the portal's a(sa{sv}) shortcut lists.
struct ShortcutEntry {
  QString id;
  QVariantMap options;
};
using ShortcutList = QList<ShortcutEntry>;

QDBusArgument& operator<<(QDBusArgument& out, const ShortcutEntry& entry) {
  out.beginStructure();
  out << entry.id << entry.options;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, ShortcutEntry& entry) {
  in.beginStructure();
  in >> entry.id >> entry.options;
  in.endStructure();
  return in;
}

}  // namespace

Q_DECLARE_METATYPE(ShortcutEntry)

namespace tavro {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kConnectionName = QStringLiteral("tavro-global-shortcuts");
// The portal's own codes are 0 (done), 1 (cancelled by the user) and 2
// (anything else); a call that failed on the bus counts as 2.
constexpr uint kFailed = 2;

QString SessionPath(const QVariant& handle) {
  // The portal's documents say "s", some versions send "o".
  if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>())
    return handle.value<QDBusObjectPath>().path();
  return handle.toString();
}

ShortcutList ListOf(const QVariant& value) {
  ShortcutList list;
  if (value.canConvert<QDBusArgument>())
    value.value<QDBusArgument>() >> list;
  return list;
}

QVariant ShortcutsArgument(const PortalShortcut& shortcut) {
  return QVariant::fromValue(
      ShortcutList{{shortcut.id,
                    {{QStringLiteral("description"), shortcut.description},
                     {QStringLiteral("preferred_trigger"), shortcut.trigger}}}});
}

QString Why(uint response, const QVariantMap& results) {
  if (results.contains(QStringLiteral("error")))
    return results.value(QStringLiteral("error")).toString();
  return response == 1 ? QStringLiteral("the request was cancelled")
                       : QStringLiteral("the desktop refused the request");
}

}  // namespace

GlobalShortcutsPortal::GlobalShortcutsPortal(const QString& app_id, const QString& token,
                                             PortalShortcut shortcut, Hooks hooks)
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnectionName)),
      app_id_(app_id),
      token_(token),
      shortcut_(std::move(shortcut)),
      hooks_(std::move(hooks)) {
  qDBusRegisterMetaType<ShortcutEntry>();
  qDBusRegisterMetaType<ShortcutList>();
  // Answers to requests and the end of sessions come from objects named per
  // call; one subscription each, sorted out by the object's path.
  bus_.connect({}, {}, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
               this, SLOT(OnResponse(uint, QVariantMap)));
  bus_.connect({}, {}, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"),
               this, SLOT(OnSessionClosed(QVariantMap)));
  bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
               SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

GlobalShortcutsPortal::~GlobalShortcutsPortal() {
  // Should the close not leave before the program ends, the portal closes
  // the session itself when the connection goes.
  Close();
  bus_.disconnectFromBus(kConnectionName);
}

void GlobalShortcutsPortal::SetBound(bool bound) {
  wanted_ = bound;
  if (bound && state_ == State::kClosed) {
    state_ = State::kOpening;
    Register([this] { CreateSession(); });
  } else if (!bound && state_ == State::kOpen) {
    Close();
  }
}

// Portal 1.19 and later take a host program's application ID from this call,
// made before any other on the connection; the ID must name an installed
// .desktop file. Older portals lack the method and read the ID from the
// program's systemd scope instead: either answer lets the session go on.
void GlobalShortcutsPortal::Register(std::function<void()> then) {
  if (registered_ || app_id_.isEmpty()) {
    then();
    return;
  }
  registered_ = true;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
      QStringLiteral("Register"));
  call << app_id_ << QVariantMap();
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [then = std::move(then)](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            then();
          });
}

void GlobalShortcutsPortal::CreateSession() {
  // Plasma 5.27 binds the shortcuts given here and ignores BindShortcuts;
  // the others take them from BindShortcuts.
  const QVariantMap options{{QStringLiteral("session_handle_token"), token_},
                            {QStringLiteral("shortcuts"), ShortcutsArgument(shortcut_)}};
  Request(QStringLiteral("CreateSession"), {}, options,
          [this](uint response, const QVariantMap& results) {
            const QString session = SessionPath(results.value(QStringLiteral("session_handle")));
            if (response != 0 || session.isEmpty()) {
              state_ = State::kClosed;
              hooks_.failed(Why(response, results));
              return;
            }
            Opened(session);
          });
}

void GlobalShortcutsPortal::Opened(const QString& session) {
  state_ = State::kOpen;
  session_ = session;
  if (!wanted_) {
    Close();
    return;
  }
  // A desktop that asks the user to agree asks once, and remembers the
  // binding (and any key the user chose instead): bind only what it lacks.
  Request(
      QStringLiteral("ListShortcuts"), {QDBusObjectPath(session)}, {},
      [this, session](uint response, const QVariantMap& results) {
        if (session != session_)
          return;
        if (response == 0) {
          for (const ShortcutEntry& entry : ListOf(results.value(QStringLiteral("shortcuts")))) {
            if (entry.id == shortcut_.id)
              return;
          }
        }
        Request(QStringLiteral("BindShortcuts"),
                {QDBusObjectPath(session), ShortcutsArgument(shortcut_),
                 hooks_.parent_window ? hooks_.parent_window() : QString()},
                {}, [this](uint bound, const QVariantMap& answer) {
                  if (bound != 0)
                    hooks_.failed(Why(bound, answer));
                });
      });
}

void GlobalShortcutsPortal::Close() {
  if (state_ != State::kOpen)
    return;
  bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_,
                                                QStringLiteral("org.freedesktop.portal.Session"),
                                                QStringLiteral("Close")));
  state_ = State::kClosed;
  session_.clear();
}

void GlobalShortcutsPortal::Request(const QString& method, QVariantList arguments,
                                    QVariantMap options, Answer answer) {
  // The answer comes as a signal on an object whose path the caller can
  // tell in advance from its own bus name and a token.
  const QString token = QStringLiteral("tavro_frontend_%1").arg(++next_request_);
  QString sender = bus_.baseService().mid(1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  const QString path = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
  options.insert(QStringLiteral("handle_token"), token);
  arguments << options;
  answers_[path] = std::move(answer);

  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(PortalCall(method, arguments)), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, path](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            const auto found = answers_.find(path);
            if (found == answers_.end())
              return;
            const QDBusMessage reply = done->reply();
            if (reply.type() == QDBusMessage::ErrorMessage) {
              const Answer failed = std::move(found->second);
              answers_.erase(found);
              failed(kFailed, {{QStringLiteral("error"),
                                reply.errorName() + QStringLiteral(": ") + reply.errorMessage()}});
              return;
            }
            // Portals before 0.9 chose the request's path themselves.
            const QString made = reply.arguments().value(0).value<QDBusObjectPath>().path();
            if (!made.isEmpty() && made != path) {
              answers_[made] = std::move(found->second);
              answers_.erase(found);
            }
          });
}

QDBusMessage GlobalShortcutsPortal::PortalCall(const QString& method,
                                               const QVariantList& arguments) const {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  call.setArguments(arguments);
  return call;
}

void GlobalShortcutsPortal::OnResponse(uint response, const QVariantMap& results) {
  const auto found = answers_.find(message().path());
  if (found == answers_.end())
    return;
  const Answer answer = std::move(found->second);
  answers_.erase(found);
  answer(response, results);
}

void GlobalShortcutsPortal::OnActivated(const QDBusObjectPath& session, const QString& shortcut_id,
                                        qulonglong /*timestamp*/, const QVariantMap& /*options*/) {
  if (state_ == State::kOpen && session.path() == session_ && shortcut_id == shortcut_.id)
    hooks_.activated();
}

void GlobalShortcutsPortal::OnSessionClosed(const QVariantMap& /*details*/) {
  // The desktop ended the session (the user took the permission back).
  if (state_ == State::kOpen && message().path() == session_) {
    state_ = State::kClosed;
    session_.clear();
  }
}

}  // namespace tavro
