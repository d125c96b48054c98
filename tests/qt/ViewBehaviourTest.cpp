// The user's events through the view, and the view following the model:
// colours, option groups, the hand pointer, errors, the folder and file lists.

#include <QAccessible>
#include <QComboBox>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "QtTestSupport.h"
#include "runtime/Files.h"
#include "window/Module_FormCollor.h"

namespace tavro::test {
namespace {

const char* const kWhiteIds[] = {"Frame1",     "Frame2",     "Frame8",     "Frame17",
                                 "Option1(0)", "Option1(1)", "Option2(0)", "Option2(1)"};

QColor PixelOf(QWidget* widget, QPoint p) {
  return widget->grab().toImage().pixelColor(p);
}

// Where a widget shows its own back colour: beside the frame's children, or
// the corner an option button's round mark leaves free.
QPoint BackPoint(QWidget* widget) {
  if (qobject_cast<QRadioButton*>(widget))
    return {widget->width() - 1, 0};
  return FreePoint(widget);
}

// A double click as the window system delivers it: press, release, then a
// second press that comes with the double-click event.
void DoubleClick(QAbstractItemView* view, QPoint at) {
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

class ViewBehaviourTest final : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<FormView> view_;

  void Show() {
    view_->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view_->window));
  }

 private slots:
  void init() { view_ = std::make_unique<FormView>(); }
  void cleanup() { view_.reset(); }

  void framesAndOptionButtonsTurnWhiteLabelsKeepTheSystemColour() {
    // A colour scheme whose window colour is not white, so that white as a
    // fixed colour and the system's window colour can be told apart.
    const QPalette saved = QApplication::palette();
    QPalette scheme = saved;
    const QColor cream(250, 240, 200);
    const QColor face(200, 200, 200);
    scheme.setColor(QPalette::Base, cream);
    scheme.setColor(QPalette::Button, face);
    scheme.setColor(QPalette::Window, face);
    QApplication::setPalette(scheme);
    view_ = std::make_unique<FormView>();
    Show();

    for (const char* id : kWhiteIds) {
      QWidget* w = view_->Widget(id);
      const QPoint p = BackPoint(w);
      QVERIFY2(p.x() >= 0, id);
      QVERIFY2(Near(PixelOf(w, p), face, 8), id);
    }
    ApplyControlColors(view_->form);
    for (const char* id : kWhiteIds) {
      QWidget* w = view_->Widget(id);
      QVERIFY2(PixelOf(w, BackPoint(w)) == QColor(Qt::white), id);
    }
    for (const char* id : {"Label5", "Label6", "Label7"}) {
      QWidget* w = view_->Widget(id);
      QVERIFY2(PixelOf(w, QPoint(w->width() - 2, w->height() / 2)) == cream, id);
    }
    // The labels of the white frames let the white show.
    const QImage frame2 = view_->Widget("Frame2")->grab().toImage();
    const QRect label3 = view_->Widget("Label3")->geometry();
    int white = 0;
    for (int y = label3.top(); y <= label3.bottom(); ++y) {
      for (int x = label3.left(); x <= label3.right(); ++x) {
        if (frame2.pixelColor(x, y) == QColor(Qt::white))
          ++white;
      }
    }
    QVERIFY2(white > label3.width() * label3.height() / 2, qPrintable(QString::number(white)));
    QApplication::setPalette(saved);
  }

  void clickingAnOptionSelectsItWithinItsGroupOnly() {
    Show();
    auto* windowed = view_->Widget<QRadioButton>("Option1(0)");
    auto* full = view_->Widget<QRadioButton>("Option1(1)");
    auto* disc = view_->Widget<QRadioButton>("Option2(0)");
    auto* rpx = view_->Widget<QRadioButton>("Option2(1)");
    auto& form = view_->form;
    // The mode switch's handler moves the lists to folders from the settings,
    // which this form never loaded; here only the groups count.
    form.Option2[0].Click = form.Option2[1].Click = nullptr;
    int clicks = 0;
    form.Option1[1].Click = [&clicks] { ++clicks; };

    QTest::mouseClick(full, Qt::LeftButton, {}, full->rect().center());
    QVERIFY(form.Option1[1].Value());
    QVERIFY(!form.Option1[0].Value());
    QVERIFY(form.Option2[0].Value());
    QVERIFY(full->isChecked() && !windowed->isChecked());
    QVERIFY(disc->isChecked() && !rpx->isChecked());
    QCOMPARE(clicks, 1);

    // Clicking the selected button again leaves it selected and raises nothing.
    QTest::mouseClick(full, Qt::LeftButton, {}, full->rect().center());
    QVERIFY(form.Option1[1].Value());
    QVERIFY(full->isChecked());
    QCOMPARE(clicks, 1);

    // The space key selects too.
    windowed->setFocus();
    QTest::keyClick(windowed, Qt::Key_Space);
    QVERIFY(form.Option1[0].Value());
    QVERIFY(windowed->isChecked() && !full->isChecked());

    // The widgets follow the model.
    form.Option2[1].Select();
    QVERIFY(rpx->isChecked() && !disc->isChecked());
    QVERIFY(windowed->isChecked());
  }

  void aScreenReadersActionsCountAsClicksAndMirroringNever() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid() && QDir(temp.path()).mkdir(QStringLiteral("sub")));
    Show();
    auto& form = view_->form;
    form.Option2[0].Click = form.Option2[1].Click = nullptr;
    const auto act = [](QWidget* widget, int child, const QString& action) {
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
      (child < 0 ? control : control->child(child))->actionInterface()->doAction(action);
    };
    const QString toggle = QAccessibleActionInterface::toggleAction();
    // A reader's toggle, or a toggle of the widget by any means, is a click;
    // the model's own choice mirrored by the view is no choice of the user's.
    act(view_->Widget("Option1(1)"), -1, toggle);
    QVERIFY(form.Option1[1].Value() && !form.Option1[0].Value());
    view_->Widget<QRadioButton>("Option1(0)")->toggle();
    QVERIFY(form.Option1[0].Value() && !form.Option1[1].Value());
    form.Option1[1].Select();
    QVERIFY(form.Option1[1].Value() && view_->Widget<QRadioButton>("Option1(1)")->isChecked());

    // A folder selected by its row's action opens with Enter.
    form.Dir1.SetPath(temp.path().toStdString());
    auto* folders = view_->Widget<QListWidget>("Dir1");
    act(folders, folders->count() - 1, toggle);
    folders->setFocus();
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(form.Dir1.Path(), temp.path().toStdString() + "/sub");

    // Donate shows its focus; Space and Enter press it.
    int donations = 0;
    form.Image12.Click = [&donations] { ++donations; };
    auto* donate = view_->Widget("Image12");
    const QImage unfocused = donate->grab().toImage();
    donate->setFocus(Qt::TabFocusReason);
    QVERIFY(donate->grab().toImage() != unfocused);
    QTest::keyClick(donate, Qt::Key_Space);
    QTest::keyClick(donate, Qt::Key_Return);
    QCOMPARE(donations, 2);
  }

  void handPointerShowsFromTheFirstMove() {
    Show();
    for (const char* id : {"Command1", "Image12"}) {
      QWidget* w = view_->Widget(id);
      QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
      QTest::mouseMove(w, QPoint(5, 5));
      QTest::mouseMove(w, w->rect().center());
      QTRY_COMPARE(w->cursor().shape(), Qt::BitmapCursor);
      QCOMPARE(w->cursor().hotSpot(), QPoint(10, 1));
      QCOMPARE(w->cursor().pixmap().size(), QSize(32, 32));
      QCOMPARE(view_->form.Find(id)->MousePointer(), kPointerCustom);
    }
    // The rest of the window keeps the default pointer.
    QCOMPARE(view_->Widget("Frame1")->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(view_->Widget("File1")->cursor().shape(), Qt::ArrowCursor);
    // Back to the default when the model says so.
    view_->form.Command1.SetMousePointer(kPointerDefault);
    QCOMPARE(view_->Widget("Command1")->cursor().shape(), Qt::ArrowCursor);
  }

  void anErrorEscapingAHandlerIsShownAndTheProgramGoesOn() {
    Show();
    int runs = 0;
    view_->form.Command1.Click = [&runs] {
      ++runs;
      throw RuntimeError(53, "File not found: game.wud");
    };
    auto* play = view_->Widget<QPushButton>("Command1");
    MessageBoxWatcher watcher;
    QTest::mouseClick(play, Qt::LeftButton, {}, play->rect().center());
    QCOMPARE(runs, 1);
    QCOMPARE(watcher.seen().size(), size_t{1});
    QCOMPARE(watcher.seen()[0].title, QStringLiteral("Error"));
    QCOMPARE(watcher.seen()[0].text, QStringLiteral("File not found: game.wud"));
    QCOMPARE(watcher.seen()[0].buttons, 1);
    QCOMPARE(watcher.seen()[0].owner, &view_->window);

    // Still running: the next click runs the handler again.
    view_->form.Command1.Click = [&runs] { ++runs; };
    QTest::mouseClick(play, Qt::LeftButton, {}, play->rect().center());
    QCOMPARE(runs, 2);
    QCOMPARE(watcher.seen().size(), size_t{1});
    QVERIFY(view_->window.isVisible());

    // The donate image forwards its click the same way.
    view_->form.Image12.Click = [&runs] { ++runs; };
    QTest::mouseClick(view_->Widget("Image12"), Qt::LeftButton, {}, QPoint(45, 23));
    QCOMPARE(runs, 3);
  }

  void playGameRunsOnceForEachClickAndOnlyForAClick() {
    Show();
    int runs = 0;
    bool down_when_run = true;
    auto* play = view_->Widget<QPushButton>("Command1");
    view_->form.Command1.Click = [&] {
      ++runs;
      down_when_run = play->isDown();
    };
    const QPoint inside = play->rect().center();
    const QPoint outside = play->rect().bottomRight() + QPoint(20, 20);
    struct Case {
      const char* name;
      Qt::MouseButton button;
      QPoint release_at;
      int runs;
    } const cases[] = {
        {"left click", Qt::LeftButton, inside, 1},
        {"let go beside the button", Qt::LeftButton, outside, 0},
        {"right click", Qt::RightButton, inside, 0},
    };
    for (const auto& c : cases) {
      runs = 0;
      QTest::mousePress(play, c.button, {}, inside);
      QTest::mouseRelease(play, c.button, {}, c.release_at);
      QVERIFY2(runs == c.runs, c.name);
      QVERIFY2(!play->isDown(), c.name);
    }
    // The click is told with the button up already (a box it opens shows it
    // up).
    QVERIFY(!down_when_run);
    // The keyboard's click is Qt's own.
    runs = 0;
    play->setFocus();
    QTest::keyClick(play, Qt::Key_Space);
    QCOMPARE(runs, 1);
  }

  void folderAndFileListsShowTheFolderAndOpenEntries() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const std::string root = temp.path().toStdString();
    QDir dir(temp.path());
    for (const char* sub : {"alpha", "Beta", "gamma \xC3\xA9"})
      QVERIFY(dir.mkdir(QString::fromUtf8(sub)));
    QVERIFY(dir.mkpath(QStringLiteral("Beta/inner")));
    for (const char* file : {"b.WUX", "a.wud", "notes.txt"}) {
      std::ofstream(root + "/" + file) << "x";
    }
    Show();
    auto& form = view_->form;
    auto* folders = view_->Widget<QListWidget>("Dir1");
    auto* files = view_->Widget<QListWidget>("File1");

    form.Dir1.SetPath(root);
    const auto& entries = form.Dir1.List();
    QCOMPARE(folders->count(), static_cast<int>(entries.size()));
    QCOMPARE(folders->currentRow(), form.Dir1.ListIndex());
    QCOMPARE(folders->currentItem()->text(), QDir(temp.path()).dirName());
    QCOMPARE(folders->item(0)->text(), QStringLiteral("/"));
    const int n = folders->count();
    QCOMPARE(folders->item(n - 3)->text(), QStringLiteral("alpha"));
    QCOMPARE(folders->item(n - 2)->text(), QStringLiteral("Beta"));
    QCOMPARE(folders->item(n - 1)->text(), QString::fromUtf8("gamma \xC3\xA9"));

    form.File1.SetPath(root);
    QCOMPARE(files->count(), 2);
    QCOMPARE(files->item(0)->text(), QStringLiteral("a.wud"));
    QCOMPARE(files->item(1)->text(), QStringLiteral("b.WUX"));

    // Selecting a file tells the model.
    int file_clicks = 0;
    form.File1.Click = [&file_clicks] { ++file_clicks; };
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(files->item(1)).center());
    QCOMPARE(form.File1.FileName(), std::string("b.WUX"));
    QCOMPARE(file_clicks, 1);

    // A single click only highlights; a double click opens.
    int changes = 0;
    form.Dir1.Change = [&changes] { ++changes; };
    QListWidgetItem* beta = folders->item(n - 2);
    folders->scrollToItem(beta);
    const QPoint at = folders->visualItemRect(beta).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(form.Dir1.Path(), root);
    DoubleClick(folders, at);
    QCOMPARE(form.Dir1.Path(), root + "/Beta");
    QCOMPARE(changes, 1);
    QCOMPARE(folders->currentItem()->text(), QStringLiteral("Beta"));
    QCOMPARE(folders->item(folders->count() - 1)->text(), QStringLiteral("inner"));

    // Enter opens the highlighted entry: here the parent folder.
    folders->setFocus();
    folders->setCurrentRow(form.Dir1.ListIndex() - 1);
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(form.Dir1.Path(), root);
    QCOMPARE(changes, 2);

    // A folder that cannot be opened any more is reported, and the list
    // keeps showing the folder the model holds.
    MessageBoxWatcher watcher;
    QVERIFY(QDir(temp.path() + "/alpha").removeRecursively());
    QListWidgetItem* alpha = folders->item(folders->count() - 3);
    QCOMPARE(alpha->text(), QStringLiteral("alpha"));
    folders->scrollToItem(alpha);
    DoubleClick(folders, folders->visualItemRect(alpha).center());
    QCOMPARE(form.Dir1.Path(), root);
    QCOMPARE(watcher.seen().size(), size_t{1});
    QCOMPARE(watcher.seen()[0].title, QStringLiteral("Error"));
    QCOMPARE(folders->currentRow(), form.Dir1.ListIndex());
  }

  void onlyTheUsersSelectionOfAFileRaisesClickOnce() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    for (const char* file : {"a.wud", "b.wux", "c.wud"})
      std::ofstream(temp.filePath(QString::fromLatin1(file)).toStdString()) << "x";
    Show();
    QApplication::setActiveWindow(&view_->window);
    QVERIFY(QTest::qWaitForWindowActive(&view_->window));
    auto& form = view_->form;
    form.File1.SetPath(temp.path().toStdString());
    std::vector<std::string> clicked;
    form.File1.Click = [&] { clicked.push_back(form.File1.FileName()); };
    auto* files = view_->Widget<QListWidget>("File1");
    const auto click_row = [files](int row) {
      QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                        files->visualItemRect(files->item(row)).center());
    };

    // Tab from the folder list: the focus arrives, nothing is selected.
    auto* folders = view_->Widget("Dir1");
    folders->setFocus(Qt::TabFocusReason);
    QTest::keyClick(folders, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), files);
    QVERIFY(clicked.empty());
    QCOMPARE(form.File1.ListIndex(), -1);
    QVERIFY(files->selectedItems().isEmpty());

    // Each selection by key or mouse raises Click once, with that file.
    struct Step {
      const char* what;
      std::function<void()> act;
      std::vector<std::string> clicks;
    } const steps[] = {
        {"Down selects the first file", [&] { QTest::keyClick(files, Qt::Key_Down); }, {"a.wud"}},
        {"Down again", [&] { QTest::keyClick(files, Qt::Key_Down); }, {"b.wux"}},
        {"End", [&] { QTest::keyClick(files, Qt::Key_End); }, {"c.wud"}},
        {"Home", [&] { QTest::keyClick(files, Qt::Key_Home); }, {"a.wud"}},
        {"mouse", [&] { click_row(1); }, {"b.wux"}},
        {"the selected file again", [&] { click_row(1); }, {}},
        {"focus leaves and comes back",
         [&] {
           folders->setFocus(Qt::TabFocusReason);
           files->setFocus(Qt::TabFocusReason);
         },
         {}},
    };
    for (const auto& step : steps) {
      clicked.clear();
      step.act();
      QVERIFY2(clicked == step.clicks, step.what);
      const int row = files->selectedItems().isEmpty() ? -1 : files->row(files->selectedItems()[0]);
      QVERIFY2(row == form.File1.ListIndex(), step.what);
    }
  }

  void aFolderWhoseNameIsNotUtf8OpensByDoubleClickAndByEnter() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const std::string root = temp.path().toStdString();
    const std::string odd = root + "/Jogos \xE9\xFF";  // Latin-1 bytes, not UTF-8
    QCOMPARE(mkdir(odd.c_str(), 0700), 0);
    // QTemporaryDir cannot name it, so cannot remove it either.
    struct Remove {
      std::string path;
      ~Remove() { rmdir(path.c_str()); }
    } const remove{odd};
    Show();
    auto& form = view_->form;
    auto* folders = view_->Widget<QListWidget>("Dir1");
    const auto row_of = [&form](const std::string& path) {
      const auto& list = form.Dir1.List();
      for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].path == path)
          return static_cast<int>(i);
      }
      return -1;
    };
    const std::function<void(int)> opens[] = {
        [folders](int row) {
          QListWidgetItem* item = folders->item(row);
          folders->scrollToItem(item);
          DoubleClick(folders, folders->visualItemRect(item).center());
        },
        [folders](int row) {
          folders->setFocus();
          folders->setCurrentRow(row);
          QTest::keyClick(folders, Qt::Key_Return);
        },
    };
    for (const auto& open : opens) {
      form.Dir1.SetPath(root);
      const int row = row_of(odd);
      QVERIFY(row >= 0);
      open(row);
      QCOMPARE(form.Dir1.Path(), odd);
      QCOMPARE(folders->currentRow(), form.Dir1.ListIndex());
    }
  }

  void driveListIsReadAgainAsItOpensAndPickedByIndex() {
    Show();
    auto& form = view_->form;
    auto* combo = view_->Widget<QComboBox>("Drive1");
    // As if the drives were read before a stick was attached.
    form.Drive1.Refresh({"/"});
    QCOMPARE(combo->count(), static_cast<int>(form.Drive1.List().size()));
    combo->showPopup();
    QCOMPARE(combo->count(), static_cast<int>(view_->services.disks.Drives().size()));
    QVERIFY(combo->count() >= 1);
    combo->hidePopup();

    // The pick reaches the model by its row.
    QTemporaryDir stick;
    QVERIFY(stick.isValid());
    int changes = 0;
    form.Drive1.Change = [&changes] { ++changes; };
    form.Drive1.SetDrives({"/", stick.path().toStdString()});
    form.Drive1.SelectInitial("/");
    combo->setCurrentIndex(1);  // the list, an arrow key, a screen reader alike
    QCOMPARE(form.Drive1.Drive(), stick.path().toStdString());
    QCOMPARE(changes, 1);
    QCOMPARE(combo->currentIndex(), 1);
  }

  void driveListShowsTheDrivesAndTheSelectedOne() {
    auto* combo = view_->Widget<QComboBox>("Drive1");
    const auto& drives = view_->form.Drive1.List();
    QCOMPARE(combo->count(), static_cast<int>(drives.size()));
    for (int i = 0; i < combo->count(); ++i) {
      QCOMPARE(combo->itemText(i).toStdString(), drives[static_cast<size_t>(i)]);
    }
    QCOMPARE(combo->currentText().toStdString(), view_->form.Drive1.Drive());
    view_->form.Drive1.SetDrive("/");
    QCOMPARE(combo->currentText(), QStringLiteral("/"));
  }

  void coverDisplayFollowsItsPicture() {
    Show();
    auto& form = view_->form;
    auto* box = view_->Widget("Picture1");
    QCOMPARE(box->size(), QSize(201, 113));
    const QColor red(230, 20, 20);
    // Where a red picture of each size lands in the 201 x 113 box: scaled to
    // fit keeping its shape, centred.
    struct Case {
      QSize size;
      QRect lands;
    } const cases[] = {
        {{100, 100}, {44, 0, 113, 113}},   // square: full height, centred across
        {{400, 100}, {0, 31, 201, 50}},    // wide: full width, centred down
        {{20, 40}, {72, 0, 57, 113}},      // small and tall: scaled up
        {{2000, 1130}, {0, 0, 200, 113}},  // nearly the box's shape, larger
    };
    for (const auto& c : cases) {
      QImage picture(c.size, QImage::Format_RGB32);
      picture.fill(red);
      form.Picture1.SetPicture(std::make_shared<QtPicture>(picture));
      const QImage shot = box->grab().toImage();
      const QString at = QStringLiteral("%1x%2").arg(c.size.width()).arg(c.size.height());
      // Inside, a pixel in from each edge: the picture; outside: not.
      const QRect inside = c.lands.adjusted(1, 1, -2, -2);
      for (const QPoint p : {inside.topLeft(), inside.bottomRight(), inside.center()})
        QVERIFY2(Near(shot.pixelColor(p), red, 8), qPrintable(at));
      const QPoint mid = c.lands.center();
      for (const QPoint p :
           {QPoint(mid.x(), c.lands.top() - 2), QPoint(mid.x(), c.lands.bottom() + 2),
            QPoint(c.lands.left() - 2, mid.y()), QPoint(c.lands.right() + 2, mid.y())}) {
        if (shot.rect().contains(p))
          QVERIFY2(!Near(shot.pixelColor(p), red, 60), qPrintable(at));
      }
    }
    // A picture of the box's size is drawn as it is, pixel for pixel.
    QImage checks(201, 113, QImage::Format_RGB32);
    for (int y = 0; y < 113; ++y) {
      for (int x = 0; x < 201; ++x)
        checks.setPixelColor(x, y, (x + y) % 2 ? QColor(Qt::black) : QColor(Qt::white));
    }
    form.Picture1.SetPicture(std::make_shared<QtPicture>(checks));
    QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32), checks);
    // Back to the default cover: the picture object of Picture2.
    form.Picture1.SetPicture(form.Picture2.Picture());
    QVERIFY(box->grab().toImage().convertToFormat(QImage::Format_RGB32) != checks);
  }

  void aGamesIconShowsTheBoxBehindItsTransparentPart() {
    Show();
    auto* box = view_->Widget("Picture1");
    // The box's own background, as the window paints it with nothing on it.
    view_->form.Picture1.SetPicture(nullptr);
    const QColor behind = box->grab().toImage().pixelColor(100, 56);
    // 2 x 1: an opaque red pixel, a see-through one; fitted it fills 201 x 100.
    const std::vector<std::uint8_t> rgba = {230, 20, 20, 255, 0, 0, 255, 0};
    view_->form.Picture1.SetPicture(view_->services.pictures.PictureFromRgba(2, 1, rgba));
    const QImage shot = box->grab().toImage();
    QVERIFY(Near(shot.pixelColor(40, 56), QColor(230, 20, 20), 8));
    QVERIFY2(Near(shot.pixelColor(160, 56), behind, 8),
             qPrintable(shot.pixelColor(160, 56).name() + " " + behind.name()));
    QVERIFY(!Near(behind, QColor(0, 0, 255), 60));  // the hidden blue never shows
  }

  void aLargeCoverIsHeldAtTheBoxSizeAndFillsItAsBefore() {
    Show();
    QTemporaryDir temp;
    // Eight times the box's size, a colour in each quarter.
    QImage cover(1608, 904, QImage::Format_RGB32);
    const QColor colours[] = {{220, 30, 30}, {30, 160, 40}, {40, 60, 210}, {240, 200, 40}};
    for (int i = 0; i < 4; ++i)
      QPainter(&cover).fillRect(i % 2 * 804, i / 2 * 452, 804, 452, colours[i]);
    const QString path = temp.filePath(QStringLiteral("cover.jpg"));
    QVERIFY(cover.save(path, "JPG", 95));
    auto& form = view_->form;
    auto* box = view_->Widget("Picture1");
    form.Picture1.SetPicture(std::make_shared<QtPicture>(cover));  // the whole image, as before
    const QImage whole = box->grab().toImage();
    form.ShowCover(path.toStdString());
    QCOMPARE(QSize(form.Picture1.Picture()->Width(), form.Picture1.Picture()->Height()),
             QSize(201, 113));
    const QImage shown = box->grab().toImage();
    for (int i = 0; i < 4; ++i) {
      const int x = i % 2 ? 199 : 1, y = i / 2 ? 111 : 1;  // the box's corners
      QVERIFY(Near(shown.pixelColor(x, y), colours[i]));
      QVERIFY(Near(shown.pixelColor(x == 1 ? 50 : 150, y == 1 ? 28 : 84), colours[i]));
    }
    int differ = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x)
        differ += Near(shown.pixelColor(x, y), whole.pixelColor(x, y), 40) ? 0 : 1;
    }
    QVERIFY2(differ < 201 * 113 / 50, qPrintable(QString::number(differ)));
  }
};

}  // namespace

int RunViewBehaviourTests(int argc, char** argv) {
  ViewBehaviourTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tavro::test

#include "ViewBehaviourTest.moc"
