// QtServices on real files and real message boxes.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "QtTestSupport.h"

namespace tavro::test {
namespace {

class QtServicesTest final : public QObject {
  Q_OBJECT

 private:
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
    QtServices services(TestOptions());
    const auto picture = services.LoadPicture(cover.toStdString());
    QVERIFY(picture);
    QCOMPARE(picture->Width(), 37);
    QCOMPARE(picture->Height(), 23);
    QCOMPARE(AsQtPicture(picture)->image().pixelColor(5, 5), QColor(200, 30, 30));

    const QString gif = temp.filePath(QStringLiteral("large.gif"));
    QVERIFY(QImage(640, 480, QImage::Format_RGB32).save(gif, "JPEG"));
    QCOMPARE(services.LoadPicture(gif.toStdString())->Width(), 640);
  }

  void loadPictureThrowsForWhatItCannotRead() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const std::string garbage = temp.filePath(QStringLiteral("cover.jpg")).toStdString();
    std::ofstream(garbage) << "this is no picture";
    const std::string empty = temp.filePath(QStringLiteral("empty.jpg")).toStdString();
    std::ofstream(empty).flush();
    QtServices services(TestOptions());
    QCOMPARE(ErrorNumber([&] { services.LoadPicture(garbage); }), err::kInvalidPicture);
    QCOMPARE(ErrorNumber([&] { services.LoadPicture(empty); }), err::kInvalidPicture);
    QCOMPARE(ErrorNumber([&] { services.LoadPicture(temp.path().toStdString()); }),
             err::kFileNotFound);
    QCOMPARE(ErrorNumber([&] { services.LoadPicture(temp.path().toStdString() + "/none.jpg"); }),
             err::kFileNotFound);
    QCOMPARE(ErrorNumber([&] { services.LoadPicture(""); }), err::kFileNotFound);
  }

  void builtInPicturesHaveTheirSizes() {
    QtServices services(TestOptions());
    const auto size = [&](ResourcePicture which) {
      const auto p = services.LoadResourcePicture(which);
      return p ? QSize(p->Width(), p->Height()) : QSize();
    };
    QCOMPARE(size(ResourcePicture::kBackground), QSize(1091, 460));
    QCOMPARE(size(ResourcePicture::kLogo), QSize(201, 113));
    QCOMPARE(size(ResourcePicture::kDonate), QSize(266, 142));
    QCOMPARE(size(ResourcePicture::kHand), QSize(32, 32));
    QCOMPARE(size(ResourcePicture::kIcon), QSize(256, 256));
    QVERIFY(!services.LoadResourcePicture(ResourcePicture::kNone));

    const auto hand = services.LoadResourcePicture(ResourcePicture::kHand);
    QCOMPARE(AsQtPicture(hand)->hotspot(), QPoint(10, 1));
    const auto icon = services.LoadResourcePicture(ResourcePicture::kIcon);
    QVERIFY(AsQtPicture(icon)->icon().availableSizes().size() >= 9);
  }

  void msgBoxIsModalWithOneOkButtonAndTheTitleGiven() {
    QtServices services(TestOptions());
    MessageBoxWatcher watcher;
    services.MsgBox("The emulator was not found.\nCheck the folder.", 0, "Tavro FrontEnd");
    QCOMPARE(watcher.seen().size(), size_t{1});
    QCOMPARE(watcher.seen()[0].title, QStringLiteral("Tavro FrontEnd"));
    QCOMPARE(watcher.seen()[0].text,
             QStringLiteral("The emulator was not found.\nCheck the folder."));
    QCOMPARE(watcher.seen()[0].buttons, 1);
    QCOMPARE(watcher.seen()[0].owner, nullptr);

    // Unicode survives, and the box belongs to the window once one is given.
    QWidget owner;
    owner.show();
    services.SetMessageOwner(&owner);
    services.MsgBox("Jogo n\xC3\xA3o encontrado", 0, "Erro \xE2\x9C\x93");
    QCOMPARE(watcher.seen().size(), size_t{2});
    QCOMPARE(watcher.seen()[1].text, QString::fromUtf8("Jogo n\xC3\xA3o encontrado"));
    QCOMPARE(watcher.seen()[1].title, QString::fromUtf8("Erro \xE2\x9C\x93"));
    QCOMPARE(watcher.seen()[1].owner, &owner);
  }
};

}  // namespace

int RunQtServicesTests(int argc, char** argv) {
  QtServicesTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tavro::test

#include "QtServicesTest.moc"
