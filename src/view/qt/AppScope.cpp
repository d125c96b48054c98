#include "view/qt/AppScope.h"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QList>

#include "runtime/posix/DesktopSession.h"

namespace {

// StartTransientUnit's a(sv) properties and a(sa(sv)) auxiliary units.
struct UnitProperty {
  QString name;
  QDBusVariant value;
};
struct AuxiliaryUnit {
  QString name;
  QList<UnitProperty> properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const UnitProperty& property) {
  out.beginStructure();
  out << property.name << property.value;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, UnitProperty& property) {
  in.beginStructure();
  in >> property.name >> property.value;
  in.endStructure();
  return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const AuxiliaryUnit& unit) {
  out.beginStructure();
  out << unit.name << unit.properties;
  out.endStructure();
  return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, AuxiliaryUnit& unit) {
  in.beginStructure();
  in >> unit.name >> unit.properties;
  in.endStructure();
  return in;
}

}  // namespace

Q_DECLARE_METATYPE(UnitProperty)
Q_DECLARE_METATYPE(AuxiliaryUnit)

namespace tavro {

void JoinAppScope(const QString& app_id) {
  QFile cgroup(QStringLiteral("/proc/self/cgroup"));
  if (!cgroup.open(QIODevice::ReadOnly) ||
      InAppScope(cgroup.readAll().toStdString(), app_id.toStdString()))
    return;
  qDBusRegisterMetaType<UnitProperty>();
  qDBusRegisterMetaType<QList<UnitProperty>>();
  qDBusRegisterMetaType<AuxiliaryUnit>();
  qDBusRegisterMetaType<QList<AuxiliaryUnit>>();
  const auto pid = static_cast<uint>(getpid());
  const QList<UnitProperty> properties{
      {QStringLiteral("PIDs"), QDBusVariant(QVariant::fromValue(QList<uint>{pid}))},
      {QStringLiteral("Description"), QDBusVariant(QStringLiteral("Tavro FrontEnd"))},
      // Gone once the program and what it started have ended, also after a
      // failure.
      {QStringLiteral("CollectMode"), QDBusVariant(QStringLiteral("inactive-or-failed"))}};
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("/org/freedesktop/systemd1"),
      QStringLiteral("org.freedesktop.systemd1.Manager"), QStringLiteral("StartTransientUnit"));
  call << QString::fromStdString(AppScopeName(app_id.toStdString(), static_cast<int>(pid)))
       << QStringLiteral("fail") << QVariant::fromValue(properties)
       << QVariant::fromValue(QList<AuxiliaryUnit>{});
  // Without a user manager (no systemd, a container) the call fails and the
  // portal goes without the ID: nothing to wait for, nothing to report.
  QDBusConnection::sessionBus().asyncCall(call);
}

}  // namespace tavro
