#include "view/qt/QtServices.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QtMath>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QResource>
#include <algorithm>
#include <vector>

#include "runtime/Files.h"
#include "runtime/Text.h"
#include "view/qt/BakedPictures.h"
#include "view/qt/WholePicture.h"
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

// The widest word a message box shows whole: a box whose text is wider
// than QMessageBox's soft limit (half the screen, at most 500 pixels) wraps
// it at that width, only between words, and cuts a longer word at its edge.
// Less the box's margins.
int BoxTextWidth(const QScreen* screen) {
  const int available = screen != nullptr ? screen->availableGeometry().width() : 800;
  return std::max(std::min(available / 2, 500) - 60, 100);
}

}  // namespace

const QtPicture* AsQtPicture(const PicturePtr& picture) {
  return dynamic_cast<const QtPicture*>(picture.get());
}

void QtDialogs::MsgBox(const std::string& prompt, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), QString(), QMessageBox::Ok,
                  owner_.data());
  const QFontMetrics metrics(box.font());
  const int width =
      BoxTextWidth(owner_ ? owner_->screen() : QGuiApplication::primaryScreen());
  box.setText(FromUtf8(text::FitRunsForBox(prompt, [&](std::string_view run) {
    return metrics.horizontalAdvance(QString::fromUtf8(run.data(), static_cast<qsizetype>(run.size()))) <= width;
  })));
  // Texts carry the user's paths and file names: never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
  box.exec();
}

PicturePtr QtPictures::LoadPictureToFit(const std::string& path, int box_width, int box_height) {
  const QWidget* owner = window_.MessageOwner();
  const qreal ratio = owner ? owner->devicePixelRatioF() : qApp->devicePixelRatio();
  return Load(path, QSize(qCeil(box_width * ratio), qCeil(box_height * ratio)));
}

PicturePtr QtPictures::Load(const std::string& path, QSize box) {
  // Through the program's one safe read: a FIFO or a device in a cover's
  // place is never waited for, and what is decoded is what was checked.
  // The file's bytes go when this returns; only the decoded picture stays.
  const std::string bytes = ReadPictureFile(path);
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  WatchedBuffer buffer(&data);
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
  // Asked before the read: the reader forgets it once it has read.
  const QByteArray format = reader.format();
  const JpegEndWatch jpeg;
  buffer.ForgetReads();
  QImage image = reader.read();
  // A file cut short is read as a whole picture whose missing rows are grey
  // or black: it counts as one that cannot be read (see WholePicture.h).
  if (image.isNull() || RanOut(format, buffer, jpeg))
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  return std::make_shared<QtPicture>(std::move(image));
}

PicturePtr QtPictures::PictureFromRgba(int width, int height,
                                       const std::vector<std::uint8_t>& rgba) {
  if (width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
  // A copy in the format the painter blends fastest; the picture box paints
  // its background first, so the icon's transparent parts show it.
  const QImage view(rgba.data(), width, height, width * 4, QImage::Format_RGBA8888);
  return std::make_shared<QtPicture>(view.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

PicturePtr QtPictures::LoadResourcePicture(ResourcePicture which) {
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

}  // namespace tavro
