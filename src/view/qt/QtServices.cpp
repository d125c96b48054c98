#include "view/qt/QtServices.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QtMath>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>
#include <QResource>
#include <QSocketNotifier>
#include <cstdio>
#include <vector>

#include "runtime/Files.h"
#include "runtime/posix/Processes.h"
#include "view/qt/AppScope.h"
#include "view/qt/BakedPictures.h"
#include "view/qt/GlobalShortcutsPortal.h"
#include "window/ViewContract.h"

namespace tavro {

namespace {

// Far beyond any cover (a 48-megapixel photo still reads), far below what
// would exhaust memory.
constexpr qint64 kMaxPicturePixels = 50'000'000;
constexpr int kAllocationLimitMb = 256;

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One of the program's own pictures, built in ready to draw (see
// BakedPictures.h). An icon keeps every size it holds in icon(), so each
// place the icon is shown can use the size drawn for it; the picture itself
// is the largest one.
std::shared_ptr<QtPicture> BuiltInPicture(const QString& name, bool icon_file,
                                          QPoint hotspot = {}) {
  const QResource resource(QStringLiteral(":/pictures/") + name);
  const std::vector<QImage> images = baked::Read(QByteArrayView(
      reinterpret_cast<const char*>(resource.data()), static_cast<qsizetype>(resource.size())));
  if (images.empty())
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  if (!icon_file)
    return std::make_shared<QtPicture>(images.front());
  QIcon icon;
  const QImage* largest = &images.front();
  for (const QImage& image : images) {
    icon.addPixmap(QPixmap::fromImage(image));
    if (image.width() * image.height() > largest->width() * largest->height())
      largest = &image;
  }
  return std::make_shared<QtPicture>(*largest, std::move(icon), hotspot);
}

}  // namespace

// A notifier is deleted once its own signal has returned, and hears nothing
// more until then (the descriptor stays readable).
void QtServices::LaterDeleter::operator()(QSocketNotifier* notifier) const {
  notifier->setEnabled(false);
  notifier->deleteLater();
}

QtServices::QtServices() = default;
QtServices::QtServices(PosixOptions options) : PosixServices(std::move(options)) {}
QtServices::~QtServices() = default;

const QtPicture* AsQtPicture(const PicturePtr& picture) {
  return dynamic_cast<const QtPicture*>(picture.get());
}

void QtServices::MsgBox(const std::string& prompt, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), FromUtf8(prompt), QMessageBox::Ok,
                  owner_.data());
  // Texts carry the user's paths and file names: never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
  box.exec();
}

PicturePtr QtServices::LoadPicture(const std::string& path) {
  return Load(path, QSize());
}

PicturePtr QtServices::LoadPictureToFit(const std::string& path, int box_width, int box_height) {
  const qreal ratio = owner_ ? owner_->devicePixelRatioF() : qApp->devicePixelRatio();
  return Load(path, QSize(qCeil(box_width * ratio), qCeil(box_height * ratio)));
}

PicturePtr QtServices::Load(const std::string& path, QSize box) {
  // Through the program's one safe read: a FIFO or a device in a cover's
  // place is never waited for, and what is decoded is what was checked.
  // The file's bytes go when this returns; only the decoded picture stays.
  const std::string bytes = ReadPictureFile(path);
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // A cover saved under the wrong extension still shows.
  reader.setDecideFormatFromContent(true);
  // A damaged or hostile file fails here, from its header, before anything
  // is decoded: no format Qt knows, or a size no cover has. The allocation
  // limit stops what declares one size and decodes into another.
  // (A format that cannot tell its size before decoding reads under the
  // limit alone.)
  const QSize size = reader.size();
  if (!reader.canRead() ||
      (size.isValid() &&
       (size.isEmpty() || static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels))) {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
  // Only ever smaller: a small picture is enlarged when it is drawn.
  if (size.isValid() && !box.isEmpty()) {
    const view::Rect fit = view::FitPicture(size.width(), size.height(), box.width(), box.height());
    if (fit.width < size.width() && fit.height < size.height())
      reader.setScaledSize(QSize(fit.width, fit.height));
  }
  QImageReader::setAllocationLimit(kAllocationLimitMb);
  QImage image = reader.read();
  if (image.isNull())
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  return std::make_shared<QtPicture>(std::move(image));
}

PicturePtr QtServices::LoadResourcePicture(ResourcePicture which) {
  switch (which) {
    case ResourcePicture::kNone:
      return nullptr;
    case ResourcePicture::kIcon:
      return BuiltInPicture(QStringLiteral("Tavro_FrontEnd.pixels"), true);
    case ResourcePicture::kHand:
      return BuiltInPicture(QStringLiteral("hand.pixels"), true,
                            QPoint(view::kHandHotspot.x, view::kHandHotspot.y));
    case ResourcePicture::kBackground:
      return BuiltInPicture(QStringLiteral("background.pixels"), false);
    case ResourcePicture::kLogo:
      return BuiltInPicture(QStringLiteral("logo.pixels"), false);
    case ResourcePicture::kDonate:
      return BuiltInPicture(QStringLiteral("donate.pixels"), false);
  }
  return nullptr;
}

void QtServices::ListenOnPortal(const std::string& app_id, const std::string& description) {
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
}

void QtServices::EmulatorStarted(int pid) {
  auto watch = std::make_unique<ProcessEndWatch>(pid);
  // Ended already, or a kernel that cannot tell when: nothing to bind for.
  if (watch->Ended())
    return;
  Running running{std::move(watch), nullptr};
  running.notifier.reset(new QSocketNotifier(running.watch->fd(), QSocketNotifier::Read));
  QObject::connect(running.notifier.get(), &QSocketNotifier::activated, &context_,
                   [this] { EmulatorEnded(); });
  emulators_.push_back(std::move(running));
  if (GameRunning)
    GameRunning(true);
  if (portal_state_ == Portal::kNone)
    return;
  if (!portal_) {
    GlobalShortcutsPortal::Hooks hooks;
    hooks.activated = [this] { NotePress(27); };  // Esc
    hooks.failed = [](const QString& why) {
      std::fprintf(stderr, "Tavro FrontEnd: Esc could not be bound through the portal (%s).\n",
                   why.toLocal8Bit().constData());
      std::fflush(stderr);
    };
    // A Wayland window can be named only through a protocol Qt keeps to
    // itself; an X11 window by its id.
    hooks.parent_window = [this] {
      return owner_ && QGuiApplication::platformName() == QStringLiteral("xcb")
                 ? QStringLiteral("x11:%1").arg(owner_->winId(), 0, 16)
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

void QtServices::EmulatorEnded() {
  std::erase_if(emulators_, [](const Running& running) { return running.watch->Ended(); });
  if (GameRunning)
    GameRunning(!emulators_.empty());
  if (emulators_.empty() && portal_)
    portal_->SetBound(false);
}

}  // namespace tavro
