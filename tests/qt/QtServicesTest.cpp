// The Qt roles on real files and real message boxes.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QImageReader>
#include <QImageWriter>
#include <QResource>
#include <QtTest>
#include <fstream>

#include "QtTestSupport.h"

namespace tavro::test {
namespace {

class QtServicesTest final : public QObject {
  Q_OBJECT

 private:
  static quint32 Crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
      crc ^= static_cast<quint8>(c);
      for (int k = 0; k < 8; ++k)
        crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
  }

  // A picture with detail in every row, so that no row of it compresses to
  // nothing, encoded as format.
  static QByteArray Encoded(const char* format, bool progressive = false) {
    QImage image(160, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, y, qRgb(x * 7 % 256, y * 3 % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
  }

  static QByteArray ResourceFile(const char* name) {
    QFile file(QStringLiteral(TAVRO_RESOURCES_DIR "/") + QString::fromLatin1(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
  }

  static int ErrorNumber(const std::function<void()>& call) {
    try {
      call();
    } catch (const RuntimeError& e) {
      return e.Number();
    }
    return 0;
  }

 private slots:
  void loadPictureReadsTheFileAtItsOwnSize() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QImage image(37, 23, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    // A name with a non-ASCII letter, and a PNG saved under a .jpg name.
    const QString cover = temp.filePath(QString::fromUtf8("capa \xC3\xA9.jpg"));
    QVERIFY(image.save(cover, "PNG"));
    QtRoles services(TestOptions());
    const auto picture = services.pictures.LoadPictureToFit(cover.toStdString(), 0, 0);
    QVERIFY(picture);
    QCOMPARE(picture->Width(), 37);
    QCOMPARE(picture->Height(), 23);
    QCOMPARE(AsQtPicture(picture)->image().pixelColor(5, 5), QColor(200, 30, 30));

    const QString gif = temp.filePath(QStringLiteral("large.gif"));
    QVERIFY(QImage(640, 480, QImage::Format_RGB32).save(gif, "JPEG"));
    QCOMPARE(services.pictures.LoadPictureToFit(gif.toStdString(), 0, 0)->Width(), 640);
  }

  void loadPictureThrowsForWhatItCannotRead() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const std::string garbage = temp.filePath(QStringLiteral("cover.jpg")).toStdString();
    std::ofstream(garbage) << "this is no picture";
    const std::string empty = temp.filePath(QStringLiteral("empty.jpg")).toStdString();
    std::ofstream(empty).flush();
    QtRoles services(TestOptions());
    QCOMPARE(ErrorNumber([&] { services.pictures.LoadPictureToFit(garbage, 0, 0); }),
             err::kInvalidPicture);
    QCOMPARE(ErrorNumber([&] { services.pictures.LoadPictureToFit(empty, 0, 0); }),
             err::kInvalidPicture);
    QCOMPARE(
        ErrorNumber([&] { services.pictures.LoadPictureToFit(temp.path().toStdString(), 0, 0); }),
        err::kFileNotFound);
    QCOMPARE(ErrorNumber([&] {
               services.pictures.LoadPictureToFit(temp.path().toStdString() + "/none.jpg", 0, 0);
             }),
             err::kFileNotFound);
    QCOMPARE(ErrorNumber([&] { services.pictures.LoadPictureToFit("", 0, 0); }),
             err::kFileNotFound);
  }

  void loadPictureRefusesDamagedAndHostileFilesBeforeDecoding() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const auto write = [&](const char* name, const QByteArray& bytes) {
      QFile file(temp.filePath(QString::fromLatin1(name)));
      file.open(QIODevice::WriteOnly);
      file.write(bytes);
      return file.fileName().toStdString();
    };
    QByteArray png;
    {
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      QImage(64, 64, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    // A PNG whose header claims 20000 x 20000 pixels (1.6 GB decoded), with a
    // correct checksum so that only its size can refuse it.
    QByteArray huge = png.left(33);
    const auto put32 = [&huge](int at, quint32 v) {
      for (int i = 0; i < 4; ++i)
        huge[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    };
    put32(16, 20000);
    put32(20, 20000);
    put32(29, Crc32(huge.mid(12, 17)));
    huge += png.mid(33);
    // A BMP that says 30000 x 30000 and holds nothing.
    QByteArray bmp("BM", 2);
    bmp.append(52, '\0');
    const auto put_le = [&bmp](int at, quint32 v) {
      for (int i = 0; i < 4; ++i)
        bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put_le(10, 54);
    put_le(14, 40);
    put_le(18, 30000);
    put_le(22, 30000);
    bmp[26] = 1;
    bmp[28] = 24;
    QByteArray noise(10 * 1024 * 1024, '\0');
    quint32 seed = 12345;
    for (auto& byte : noise) {
      seed = seed * 1103515245u + 12345u;
      byte = static_cast<char>(seed >> 24);
    }
    // Each cut short before its last row: read whole, its missing rows
    // would show grey or black.
    const QByteArray jpeg = Encoded("JPEG");
    const QByteArray progressive = Encoded("JPEG", true);
    const QByteArray gif = ResourceFile("donate.gif");
    const QByteArray whole_bmp = Encoded("BMP");
    const std::string cases[] = {
        write("half.jpg", jpeg.left(jpeg.size() / 2)),
        write("progressive half.jpg", progressive.left(progressive.size() / 2)),
        write("half.gif", gif.left(gif.size() / 2)),
        write("short by a row.bmp", whole_bmp.left(whole_bmp.size() - 160 * 3)),
        write("empty.jpg", {}),
        write("text.jpg", "this is no picture"),
        write("huge.jpg", huge),
        write("huge.bmp", bmp),
        write("truncated.png", png.left(png.size() / 2)),
        write("noise.jpg", noise),
    };
    QtRoles services(TestOptions());
    for (const auto& path : cases) {
      QVERIFY2(ErrorNumber([&] { services.pictures.LoadPictureToFit(path, 0, 0); }) ==
                   err::kInvalidPicture,
               path.c_str());
    }
    // The same bytes with their true size read fine; so do whole pictures
    // that end oddly: no end marker, bytes after it, no trailer.
    QCOMPARE(services.pictures.LoadPictureToFit(write("fine.jpg", png), 0, 0)->Width(), 64);
    const std::string odd_ends[] = {
        write("no end marker.jpg", jpeg.left(jpeg.size() - 2)),
        write("progressive no end marker.jpg", progressive.left(progressive.size() - 2)),
        write("bytes after the end.jpg", jpeg + QByteArray(100, 'x')),
        write("no trailer.gif", gif.left(gif.size() - 1)),
        write("bytes after the end.bmp", whole_bmp + QByteArray(100, 'x')),
    };
    for (const auto& path : odd_ends) {
      int width = 0;
      QVERIFY2(ErrorNumber(
                   [&] { width = services.pictures.LoadPictureToFit(path, 0, 0)->Width(); }) == 0,
               path.c_str());
      QVERIFY2(width > 0, path.c_str());
    }
  }

  void builtInPicturesAreThoseOfTheirFiles() {
    QtRoles services(TestOptions());
    // Built in ready to draw, each pixel as Qt decodes the picture's file;
    // of an icon file the deepest image of each size, the largest as the
    // picture.
    struct Case {
      ResourcePicture which;
      const char* file;
      QSize size;
    } const cases[] = {
        {ResourcePicture::kBackground, "background.jpg", {1091, 460}},
        {ResourcePicture::kLogo, "logo.jpg", {201, 113}},
        {ResourcePicture::kDonate, "donate.gif", {266, 142}},
        {ResourcePicture::kHand, "hand.ico", {32, 32}},
        {ResourcePicture::kIcon, "Tavro_FrontEnd.ico", {256, 256}},
    };
    for (const auto& c : cases) {
      const auto picture = services.pictures.LoadResourcePicture(c.which);
      QVERIFY2(AsQtPicture(picture), c.file);
      const QImage& built_in = AsQtPicture(picture)->image();
      QCOMPARE(built_in.size(), c.size);
      QImageReader reader(QStringLiteral(TAVRO_RESOURCES_DIR "/") + QString::fromLatin1(c.file));
      QImage want;
      int bits = 0;
      do {
        const int depth = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
        if (reader.size() == c.size && (want.isNull() || depth > bits)) {
          bits = depth;
          want = reader.read();
        }
      } while (reader.jumpToNextImage());
      QVERIFY2(!want.isNull(), c.file);
      QVERIFY2(built_in == want.convertToFormat(built_in.format()), c.file);
      // Drawn from where it lies in the program, not from a copy.
      const QResource resource(QStringLiteral(":/pictures/%1.pixels")
                                   .arg(QString::fromLatin1(c.file).section('.', 0, 0)));
      const uchar* const start = resource.data();
      QVERIFY2(
          start && built_in.constBits() >= start && built_in.constBits() < start + resource.size(),
          c.file);
    }
    QVERIFY(!services.pictures.LoadResourcePicture(ResourcePicture::kNone));

    const auto hand = services.pictures.LoadResourcePicture(ResourcePicture::kHand);
    QCOMPARE(AsQtPicture(hand)->hotspot(), QPoint(10, 1));
    const auto icon = services.pictures.LoadResourcePicture(ResourcePicture::kIcon);
    QCOMPARE(AsQtPicture(icon)->icon().availableSizes().size(), 9);
  }

  void msgBoxIsModalWithOneOkButtonAndTheTitleGiven() {
    QtRoles services(TestOptions());
    MessageBoxWatcher watcher;
    services.dialogs.MsgBox("The emulator was not found.\nCheck the folder.", "Tavro FrontEnd");
    QCOMPARE(watcher.seen().size(), size_t{1});
    QCOMPARE(watcher.seen()[0].title, QStringLiteral("Tavro FrontEnd"));
    QCOMPARE(watcher.seen()[0].text,
             QStringLiteral("The emulator was not found.\nCheck the folder."));
    QCOMPARE(watcher.seen()[0].buttons, 1);
    QCOMPARE(watcher.seen()[0].owner, nullptr);
    QCOMPARE(watcher.seen()[0].format, Qt::PlainText);

    // A path is shown as it is, never read as markup.
    const std::string path = "/home/me/<b>Games</b> & <i>more</i>/x.wud";
    services.dialogs.MsgBox(path, "Error");
    QCOMPARE(watcher.seen().back().text, QString::fromStdString(path));
    QCOMPARE(watcher.seen().back().format, Qt::PlainText);

    // Unicode survives, and the box belongs to the window once one is given.
    QWidget owner;
    owner.show();
    services.dialogs.SetMessageOwner(&owner);
    services.dialogs.MsgBox("Jogo n\xC3\xA3o encontrado", "Erro \xE2\x9C\x93");
    QCOMPARE(watcher.seen().size(), size_t{3});
    QCOMPARE(watcher.seen()[2].text, QString::fromUtf8("Jogo n\xC3\xA3o encontrado"));
    QCOMPARE(watcher.seen()[2].title, QString::fromUtf8("Erro \xE2\x9C\x93"));
    QCOMPARE(watcher.seen()[2].owner, &owner);

    // An unbroken run too wide for the screen loses its middle, not its end.
    services.dialogs.MsgBox("Flatpak " + std::string(1000, 'x') + "y is bad", "Alert!");
    const auto& wide = watcher.seen().back();
    QVERIFY(wide.text.startsWith(QStringLiteral("Flatpak xxx")));
    QVERIFY(wide.text.endsWith(QStringLiteral("xy is bad")));
    QVERIFY(wide.text.contains(QChar(0x2026)));
    for (const QString& run : wide.text.split(QLatin1Char(' ')))
      QVERIFY(QFontMetrics(wide.font).horizontalAdvance(run) <= wide.width);
  }
};

}  // namespace

int RunQtServicesTests(int argc, char** argv) {
  QtServicesTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tavro::test

#include "QtServicesTest.moc"
