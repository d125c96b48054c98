// The floor of the launcher's whole window on Linux: the same 26 controls as
// standard Qt widgets at the launcher's places (its design table), the
// background and the logo drawn, and a 100 ms timer that does nothing; no
// settings, no folders made, no services. Its file list holds the disc
// images of the program's Game/WUD_WUX folder, and each selection shows the
// game's cover from Image/ at once, decoded at the size the 201 x 113 box
// shows it (QImageReader::setScaledSize), the way a bare program would.
// What the launcher adds on top of this is its own.
//
//   tavro_reference_qt_form

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <map>
#include <string>

#include "window/Layout.h"

namespace {

using tavro::ControlKind;

int Px(int twips) {
  return tavro::TwipsToPixels(twips, 96);
}

QString Q(const char* text) {
  return QString::fromUtf8(text);
}

// A picture drawn fitted into the box, keeping its shape, centred.
class PictureBox final : public QWidget {
 public:
  using QWidget::QWidget;
  void SetImage(QImage image) {
    image_ = std::move(image);
    update();
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    if (image_.isNull())
      return;
    QSize size = image_.size().scaled(this->size(), Qt::KeepAspectRatio);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size), image_);
  }

 private:
  QImage image_;
};

class FormWindow final : public QWidget {
 public:
  FormWindow() {
    const auto& design = tavro::Form1Design();
    setWindowTitle(QStringLiteral("Tavro Reference"));
    setFixedSize(Px(design.client_width), Px(design.client_height));
    QFont small = font();
    small.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                       QStringLiteral("Arial"), small.family()});
    small.setPointSizeF(8.25);
    setFont(small);
    background_ = QImage(QStringLiteral(":/pictures/background.jpg"));
    const QImage logo(QStringLiteral(":/pictures/logo.jpg"));
    const QString folder = QCoreApplication::applicationDirPath();
    games_ = folder + QStringLiteral("/Game/WUD_WUX");
    covers_ = folder + QStringLiteral("/Image/");

    std::map<std::string, QWidget*> frames;
    for (const auto& c : tavro::Form1Controls()) {
      QWidget* parent = this;
      if (const auto found = frames.find(c.container); found != frames.end())
        parent = found->second;
      QWidget* w = nullptr;
      switch (c.kind) {
        case ControlKind::kTimer:
          timer_.start(c.interval_ms);
          continue;
        case ControlKind::kFrame:
          w = frames[c.name] = new QGroupBox(Q(c.caption), parent);
          break;
        case ControlKind::kLabel:
        case ControlKind::kTextBox:
          w = new QLabel(Q(c.caption), parent);
          break;
        case ControlKind::kCommandButton:
          w = new QPushButton(Q(c.caption), parent);
          break;
        case ControlKind::kOptionButton:
          w = new QRadioButton(parent);
          static_cast<QRadioButton*>(w)->setChecked(c.value);
          break;
        case ControlKind::kPictureBox: {
          auto* box = new PictureBox(parent);
          box->SetImage(logo);
          if (std::string(c.name) == "Picture1")
            cover_ = box;
          w = box;
          break;
        }
        case ControlKind::kImage:
          // Left empty: the floor decodes no more pictures than it must.
          w = new QLabel(parent);
          break;
        case ControlKind::kFileListBox: {
          auto* list = new QListWidget(parent);
          list->addItems(QDir(games_).entryList({QStringLiteral("*.wud")}, QDir::Files));
          connect(list, &QListWidget::currentTextChanged, this,
                  [this](const QString& name) { ShowCover(name); });
          w = list;
          break;
        }
        case ControlKind::kDirListBox: {
          auto* list = new QListWidget(parent);
          QString path;
          for (const QString& part : games_.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            list->addItem(path += QLatin1Char('/') + part);
          w = list;
          break;
        }
        case ControlKind::kDriveListBox: {
          auto* combo = new QComboBox(parent);
          combo->addItem(QStringLiteral("/"));
          w = combo;
          break;
        }
      }
      w->setGeometry(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
      w->setVisible(c.visible);
    }
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.drawImage(QPoint(0, 0), background_);
  }

 private:
  // The cover of a game, decoded at the size the box shows it; none: the
  // picture stays; one that cannot be read: the logo.
  void ShowCover(QString name) {
    const QString file = covers_ + name.remove(QStringLiteral(".wud")) + QStringLiteral(".jpg");
    if (!QFileInfo(file).isFile())
      return;
    QImageReader reader(file);
    const QSize size = reader.size();
    const QSize fit = size.scaled(cover_->size() * devicePixelRatio(), Qt::KeepAspectRatio);
    if (fit.width() < size.width())
      reader.setScaledSize(fit);
    const QImage image = reader.read();
    cover_->SetImage(image.isNull() ? QImage(QStringLiteral(":/pictures/logo.jpg")) : image);
  }

  QImage background_;
  QString games_;
  QString covers_;
  PictureBox* cover_ = nullptr;
  QTimer timer_;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  FormWindow window;
  window.show();
  return QApplication::exec();
}
