// The window as built: every control at its place, its captions, pictures,
// tab order and timer.

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>
#include <algorithm>
#include <tuple>

#include "QtTestSupport.h"
#include "view/qt/Widgets.h"

namespace tavro::test {
namespace {

class ViewLayoutTest final : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<FormView> view_;

 private slots:
  void init() {
    view_ = std::make_unique<FormView>();
    view_->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view_->window));
  }
  void cleanup() { view_.reset(); }

  void everyControlSitsInItsContainerAtItsDesignPlace() {
    int checked = 0;
    for (const auto& row : Form1Controls()) {
      const QString id = QString::fromStdString(row.Id());
      if (row.kind == ControlKind::kTimer) {
        auto* timer = view_->window.findChild<QTimer*>(id);
        QVERIFY2(timer, qPrintable(id));
        ++checked;
        continue;
      }
      auto* widget = view_->window.findChild<QWidget*>(id);
      QVERIFY2(widget, qPrintable(id));
      QWidget* container = std::string_view(row.container) == kFormName
                               ? &view_->window
                               : view_->window.findChild<QWidget*>(row.container);
      QVERIFY2(container, row.container);
      QCOMPARE(widget->parentWidget(), container);
      QCOMPARE(widget->geometry(), DesignRect(row));
      QVERIFY2(widget->isVisible() == row.visible, qPrintable(id));
      ++checked;
    }
    QCOMPARE(checked, 27);
    // The carriers of pictures and text never show.
    for (const char* id : {"Picture2", "Image1", "Text1"}) {
      QVERIFY2(!view_->Widget(id)->isVisible(), id);
    }
    QCOMPARE(view_->Widget("Option1(0)")->size(), QSize(17, 17));
    QCOMPARE(view_->Widget("Image12")->size(), QSize(90, 46));
  }

  void theWindowKeepsItsClientSize() {
    auto& window = view_->window;
    QCOMPARE(window.size(), QSize(802, 386));
    QCOMPARE(window.minimumSize(), QSize(802, 386));
    QCOMPARE(window.maximumSize(), QSize(802, 386));
    window.resize(1000, 600);
    QCOMPARE(window.size(), QSize(802, 386));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tavro FrontEnd"));
  }

  void captionsAndTextsAreThoseOfTheModel() {
    const auto title = [this](const char* id) {
      const auto* frame = dynamic_cast<const FrameBox*>(view_->Widget(id));
      return frame ? frame->Title() : QStringLiteral("(no frame)");
    };
    QCOMPARE(title("Frame1"), QStringLiteral("Games *.wud *.wux"));
    QCOMPARE(title("Frame2"), QStringLiteral("Display"));
    QCOMPARE(title("Frame17"), QStringLiteral("Special Keys"));
    QCOMPARE(title("Frame8"), QStringLiteral("Donate"));
    QCOMPARE(view_->Widget<QPushButton>("Command1")->text(), QStringLiteral("Play Game"));
    const auto text = [this](const char* id) { return view_->Widget<QLabel>(id)->text(); };
    QCOMPARE(text("Label1"), QStringLiteral("*.rpx"));
    QCOMPARE(text("Label2"), QStringLiteral("*.wud *.wux"));
    QCOMPARE(text("Label3"), QStringLiteral("Windowed"));
    QCOMPARE(text("Label4"), QStringLiteral("FullScreen"));
    QCOMPARE(text("Label5"), QStringLiteral("(Esc) To Close Game"));
    QCOMPARE(text("Label6"), QStringLiteral("(9) To Hide Desktop"));
    QCOMPARE(text("Label7"), QStringLiteral("(8) To Hide WinBar"));
    QCOMPARE(text("Label17"), QString::fromStdString(view_->form.Label17.Caption()));
    QCOMPARE(text("Label8"), QString::fromStdString(view_->form.Label8.Caption()));
    QVERIFY(text("Label17").contains('@'));
    // The text box carries the model's text as it stands, CR LF included.
    const auto* text1 = dynamic_cast<const TextCarrier*>(view_->Widget("Text1"));
    QVERIFY(text1);
    QCOMPARE(text1->Text(), QString::fromStdString(DonationPageText()));
    // A frame is named by its caption, as a group box is.
    QCOMPARE(view_->Widget("Frame2")->accessibleName(), QStringLiteral("Display"));

    // A caption set later shows at once.
    view_->form.Frame1.SetCaption("Games *.rpx");
    QCOMPARE(title("Frame1"), QStringLiteral("Games *.rpx"));
    QCOMPARE(view_->Widget("Frame1")->accessibleName(), QStringLiteral("Games *.rpx"));
    const auto* frame1 = dynamic_cast<const FrameBox*>(view_->Widget("Frame1"));
    QCOMPARE(frame1->ShownTitle(), QStringLiteral("Games *.rpx"));
    // Too long for the frame: drawn cut with an ellipsis, still named whole.
    const QString masks = QStringLiteral("Games") + QStringLiteral(" *.wud *.wux").repeated(20);
    view_->form.Frame1.SetCaption(masks.toStdString());
    const QString shown = frame1->ShownTitle();
    QVERIFY2(shown.endsWith(QChar(0x2026)) && shown.startsWith("Games *."), qPrintable(shown));
    QVERIFY(QFontMetrics(frame1->font()).horizontalAdvance(shown) <= frame1->width() - 14);
    QCOMPARE(frame1->Title(), masks);
    QCOMPARE(view_->Widget("Frame1")->accessibleName(), masks);
  }

  void optionButtonsCarryTheNamesOfTheirLabels() {
    const auto name = [this](const char* id) { return view_->Widget(id)->accessibleName(); };
    QCOMPARE(name("Option1(0)"), QStringLiteral("Windowed"));
    QCOMPARE(name("Option1(1)"), QStringLiteral("FullScreen"));
    QCOMPARE(name("Option2(0)"), QStringLiteral("*.wud *.wux"));
    QCOMPARE(name("Option2(1)"), QStringLiteral("*.rpx"));
    QVERIFY(view_->Widget<QRadioButton>("Option1(0)")->isChecked());
    QVERIFY(!view_->Widget<QRadioButton>("Option1(1)")->isChecked());
    QVERIFY(view_->Widget<QRadioButton>("Option2(0)")->isChecked());
    QVERIFY(!view_->Widget<QRadioButton>("Option2(1)")->isChecked());
  }

  void tabKeyFollowsTabIndexAndSkipsWhatTakesNoFocus() {
    std::vector<std::pair<int, QWidget*>> expected;
    for (const auto& row : Form1Controls()) {
      switch (row.kind) {
        case ControlKind::kDriveListBox:
        case ControlKind::kDirListBox:
        case ControlKind::kFileListBox:
        case ControlKind::kOptionButton:
        case ControlKind::kCommandButton:
          expected.emplace_back(row.tab_index, view_->Widget(row.Id().c_str()));
          break;
        case ControlKind::kImage:  // Donate, without a TabIndex, after every other
          if (row.visible) {
            expected.emplace_back(1000, view_->Widget(row.Id().c_str()));
            break;
          }
          [[fallthrough]];
        default:
          QCOMPARE(view_->Widget(row.Id().c_str()) ? view_->Widget(row.Id().c_str())->focusPolicy()
                                                   : Qt::NoFocus,
                   Qt::NoFocus);
      }
    }
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QCOMPARE(expected.size(), size_t{9});
    QCOMPARE(expected.front().second->objectName(), QStringLiteral("Drive1"));

    QApplication::setActiveWindow(&view_->window);
    QVERIFY(QTest::qWaitForWindowActive(&view_->window));
    expected.front().second->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), expected.front().second);
    // Round the whole chain and back to the start.
    for (size_t i = 1; i <= expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* want = expected[i % expected.size()].second;
      QVERIFY2(QApplication::focusWidget() == want,
               qPrintable(QStringLiteral("after Tab %1: %2 instead of %3")
                              .arg(i)
                              .arg(QApplication::focusWidget()->objectName(), want->objectName())));
    }
  }

  void screenReadersHearEachControlByItsNameAndRole() {
    view_->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view_->window));
    QCoreApplication::processEvents();  // the names are given once it shows
    using A = QAccessible;
    const auto of = [this](const char* id) {
      return A::queryAccessibleInterface(view_->Widget(id));
    };
    // clang-format off
    for (const auto& [id, role, name] : std::vector<std::tuple<const char*, A::Role, QString>>{
             {"Drive1", A::ComboBox, "Drive"}, {"Dir1", A::List, "Folders"}, {"File1", A::List, "Games"},
             {"Option2(0)", A::RadioButton, "*.wud *.wux"}, {"Option2(1)", A::RadioButton, "*.rpx"},
             {"Option1(0)", A::RadioButton, "Windowed"}, {"Option1(1)", A::RadioButton, "FullScreen"},
             {"Command1", A::Button, "Play Game"}, {"Image12", A::Button, "Donate"}}) {
      // clang-format on
      QVERIFY2(of(id)->role() == role && of(id)->state().focusable, id);
      QCOMPARE(of(id)->text(A::Name), name);
    }
    // A radio button's state is the model's; the drive shown is the drive
    // list's text, never its name.
    QVERIFY(of("Option1(1)")->state().checkable && !of("Option1(1)")->state().checked);
    view_->form.Option1[1].Select();
    QVERIFY(of("Option1(1)")->state().checked);
    QCOMPARE(of("Drive1")->textInterface()->text(0, -1),
             QString::fromStdString(view_->form.Drive1.Drive()));
  }

  void picturesAreDrawnAtTheirOwnSize() {
    const QImage shot = view_->window.grab().toImage();
    QCOMPARE(shot.size(), QSize(802, 386));
    const QImage background = SourcePicture("background.jpg");
    const QImage logo = SourcePicture("logo.jpg");
    QCOMPARE(background.size(), QSize(1091, 460));
    QCOMPARE(logo.size(), QSize(201, 113));

    // The background, pixel for pixel, where no control covers it: left of
    // and below the cover display, on the controller.
    const QRect cover = DesignRect(Form1Control("Picture1"));
    int non_white = 0;
    int compared = 0;
    for (int y = 10; y < 350; y += 17) {
      for (int x = 5; x < 400; x += 19) {
        bool covered = false;
        for (const auto& row : Form1Controls()) {
          if (row.visible && std::string_view(row.container) == kFormName &&
              DesignRect(row).adjusted(-2, -2, 2, 2).contains(x, y)) {
            covered = true;
          }
        }
        if (covered)
          continue;
        ++compared;
        QVERIFY2(Near(shot.pixelColor(x, y), background.pixelColor(x, y)),
                 qPrintable(QStringLiteral("background at %1,%2").arg(x).arg(y)));
        if (!Near(background.pixelColor(x, y), Qt::white, 30))
          ++non_white;
      }
    }
    QVERIFY(compared > 200);
    QVERIFY(non_white > 20);

    // The cover display shows the logo from its top-left corner.
    for (const QPoint p : {QPoint(3, 3), QPoint(100, 56), QPoint(190, 100), QPoint(40, 80)}) {
      QVERIFY2(Near(shot.pixelColor(cover.topLeft() + p), logo.pixelColor(p)),
               qPrintable(QStringLiteral("logo at %1,%2").arg(p.x()).arg(p.y())));
    }
  }

  void donateImageIsStretchedToItsControl() {
    const QImage shot = view_->Widget("Image12")->grab().toImage();
    QCOMPARE(shot.size(), QSize(90, 46));
    const QImage want =
        SourcePicture("donate.gif").scaled(90, 46, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int far = 0;
    for (int y = 0; y < 46; ++y) {
      for (int x = 0; x < 90; ++x) {
        if (!Near(shot.pixelColor(x, y), want.pixelColor(x, y), 60))
          ++far;
      }
    }
    QVERIFY2(far < 90 * 46 / 20, qPrintable(QString::number(far)));
  }

  void windowIconHoldsEverySize() {
    const auto sizes = view_->window.windowIcon().availableSizes();
    for (int side : {16, 24, 32, 48, 64, 96, 128, 256}) {
      QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    }
  }

  void timerRunsAtTheModelsIntervalWhileEnabled() {
    auto* timer = view_->window.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 100);
    // Enabled from the design, yet no tick before the load has returned and
    // the window shows: the view waits for the form to start it.
    view_->window.show();
    QVERIFY(!timer->isActive());
    view_->form.Timer1.Start();
    QVERIFY(timer->isActive());
    view_->form.Timer1.SetEnabled(false);
    QVERIFY(!timer->isActive());
    view_->form.Timer1.SetEnabled(true);
    QVERIFY(timer->isActive());

    int ticks = 0;
    view_->form.Timer1.Tick = [&ticks] { ++ticks; };
    QTRY_VERIFY(ticks >= 2);
  }

  void closingIsNeverRefusedAndStopsTheTimer() {
    auto* timer = view_->window.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(view_->window.close());
    QVERIFY(!view_->window.isVisible());
    QVERIFY(!timer->isActive());
  }
};

}  // namespace

int RunViewLayoutTests(int argc, char** argv) {
  ViewLayoutTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tavro::test

#include "ViewLayoutTest.moc"
