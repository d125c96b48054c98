#include "runtime/qt/QtServices.h"

#include <map>
#include <set>

#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>

#include "runtime/FileSystem.h"
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

// Every image of an icon file, so each place the icon is shown can use the
// size drawn for it; the picture itself is the largest one.
std::shared_ptr<QtPicture> ReadIcon(const QString& path, QPoint hotspot) {
  QImageReader reader(path);
  QIcon icon;
  QImage largest;
  // An icon file holds each size in several colour depths; the desktop wants
  // one of each size, so only the deepest is decoded (where the reader can
  // tell sizes and depths before decoding, as for .ico).
  std::map<int, int> best;  // width -> index of its deepest image
  std::map<int, int> depth;
  int index = 0;
  do {
    const QSize size = reader.size();
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    if (!size.isValid() || bits == 0) {
      best.clear();  // the reader cannot tell: decode them all
      break;
    }
    if (bits > depth[size.width()]) {
      depth[size.width()] = bits;
      best[size.width()] = index;
    }
    ++index;
  } while (reader.jumpToNextImage());
  std::set<int> wanted;
  for (const auto& [width, at] : best)
    wanted.insert(at);
  reader.jumpToImage(0);
  index = 0;
  do {
    if (!wanted.empty() && !wanted.count(index++))
      continue;
    QImage image = reader.read();
    if (image.isNull())
      break;
    icon.addPixmap(QPixmap::fromImage(image));
    if (image.width() * image.height() > largest.width() * largest.height())
      largest = image;
  } while (reader.jumpToNextImage());
  if (largest.isNull())
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  return std::make_shared<QtPicture>(std::move(largest), std::move(icon), hotspot);
}

}  // namespace

const QtPicture* AsQtPicture(const PicturePtr& picture) {
  return dynamic_cast<const QtPicture*>(picture.get());
}

void QtServices::MsgBox(const std::string& prompt, int /*buttons: always OK alone*/,
                        const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), FromUtf8(prompt), QMessageBox::Ok,
                  owner_.data());
  // Texts carry the user's paths and file names: never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
  box.exec();
}

PicturePtr QtServices::LoadPicture(const std::string& path) {
  const QString file = FromUtf8(path);
  const QFileInfo info(file);
  if (path.empty() || !info.isFile()) {
    throw RuntimeError(err::kFileNotFound, "File not found: " + path);
  }
  QImageReader reader(file);
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
      return ReadIcon(QStringLiteral(":/pictures/Tavro_FrontEnd.ico"), {});
    case ResourcePicture::kHand:
      return ReadIcon(QStringLiteral(":/pictures/hand.ico"),
                      QPoint(view::kHandHotspot.x, view::kHandHotspot.y));
    case ResourcePicture::kBackground:
    case ResourcePicture::kLogo:
    case ResourcePicture::kDonate:
      break;
  }
  const QString path = which == ResourcePicture::kBackground
                           ? QStringLiteral(":/pictures/background.jpg")
                       : which == ResourcePicture::kLogo ? QStringLiteral(":/pictures/logo.jpg")
                                                         : QStringLiteral(":/pictures/donate.gif");
  QImage image(path);
  if (image.isNull())
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  return std::make_shared<QtPicture>(std::move(image));
}

}  // namespace tavro
