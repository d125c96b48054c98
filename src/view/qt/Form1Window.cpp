#include "view/qt/Form1Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImageReader>
#include <QShowEvent>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>

#include "view/qt/Accessible.h"
#include "view/qt/Form1WindowHelpers.h"
#include "view/qt/QtServices.h"
#include "view/qt/Widgets.h"
#include "window/ViewContract.h"

namespace tavro {

namespace {

constexpr qreal kDesignPointSize = 8.25;

// One of Qt's own pictures, taken straight from its resources. Asking the
// style instead searches the desktop's icon theme folder by folder first
// (thousands of failed look-ups at every fill where the theme's cache is
// stale), only to land on these same pictures where the theme has none.
// Read as PNG by name: QIcon::addFile would ask every image-format plugin
// whether it knows the file, loading them all. The lists draw them at 16
// pixels, 32 on a doubled display; the larger one would only take memory.
QIcon BuiltInIcon(const QWidget* widget, const char* name, QStyle::StandardPixmap fallback) {
  QIcon icon;
  for (const int size : {16, 32}) {
    QImageReader reader(
        QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png").arg(name).arg(size),
        "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (!image.isNull())
      icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon.isNull() ? widget->style()->standardIcon(fallback) : icon;
}

}  // namespace

Form1Window::Form1Window(Form1& form) : QWidget(nullptr), form_(form) {
  folder_open_ = BuiltInIcon(this, "diropen", QStyle::SP_DirOpenIcon);
  folder_closed_ = BuiltInIcon(this, "dirclosed", QStyle::SP_DirClosedIcon);
  drive_icon_ = BuiltInIcon(this, "harddrive", QStyle::SP_DriveHDIcon);
  const auto& design = form_.Design();
  setObjectName(QString::fromLatin1(design.name));
  setWindowTitle(Q(design.caption));
  // A fixed border: the layout never changes with the window's size.
  setFixedSize(Px(design.client_width), Px(design.client_height));
  // The boxes were sized for the classic 8.25-point sans serif; a larger or
  // wider desktop font cuts the captions off, so the window prefers a face
  // of that width when one is installed. Controls inherit this font.
  QFont small = font();
  small.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                     QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed"),
                     small.family()});
  if (small.pointSizeF() > kDesignPointSize)
    small.setPointSizeF(kDesignPointSize);
  setFont(small);
  if (const auto* icon = AsQtPicture(form_.Icon())) {
    setWindowIcon(icon->icon().isNull() ? QIcon(QPixmap::fromImage(icon->image())) : icon->icon());
  }

  InstallAccessibleFactory();
  // Containers come before what they hold, so each parent exists already.
  for (auto* control : form_.Controls()) {
    const std::string container = control->Design().container;
    QWidget* parent = this;
    if (container != kFormName) {
      auto* holder = form_.Find(container);
      parent = holder ? qobject_cast<QWidget*>(ObjectOf(*holder)) : nullptr;
      if (!parent)
        parent = this;
    }
    QObject* object = Build(*control, parent);
    object->setObjectName(Q(control->Id()));
    objects_[control] = object;
    controls_[object] = control;
    FollowAll(*control);
    control->PropertyChanged = [this, control](Property p) { Follow(*control, p); };
  }
  SetTabOrder();
}

Form1Window::~Form1Window() {
  // The form may outlive its view; leave no hook pointing at freed widgets.
  for (auto* control : form_.Controls())
    control->PropertyChanged = nullptr;
}

QObject* Form1Window::ObjectOf(const Control& control) const {
  const auto found = objects_.find(&control);
  return found == objects_.end() ? nullptr : found->second;
}
void Form1Window::SetTabOrder() {
  std::vector<QWidget*> order;
  for (auto* control : view::TabOrder(form_)) {
    if (auto* widget = qobject_cast<QWidget*>(ObjectOf(*control)))
      order.push_back(widget);
  }
  for (size_t i = 1; i < order.size(); ++i)
    setTabOrder(order[i - 1], order[i]);
  first_focus_ = order.empty() ? nullptr : order.front();
}
void Form1Window::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shown_once_) {
    if (first_focus_ != nullptr)
      first_focus_->setFocus(Qt::TabFocusReason);
    // Once the window is on the screen.
    QTimer::singleShot(0, this, [this] { GiveAccessibleNames(); });
  }
  shown_once_ = true;
}

void Form1Window::SetAccessibleName(QWidget* widget, const QString& name) {
  if (names_given_) {
    widget->setAccessibleName(name);
  } else {
    pending_names_.emplace_back(widget, name);
  }
}

void Form1Window::GiveAccessibleNames() {
  names_given_ = true;
  for (const auto& [widget, name] : std::exchange(pending_names_, {})) {
    if (widget)
      widget->setAccessibleName(name);
  }
}

void Form1Window::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(color::kButtonFace));
  // At its own size from the top-left corner; the rest is cut off.
  if (const auto* picture = AsQtPicture(form_.Picture())) {
    painter.drawImage(QPoint(0, 0), picture->image());
  }
}

void Form1Window::closeEvent(QCloseEvent* event) {
  // Once: a termination signal may close a window that is closing already.
  if (!unloaded_) {
    unloaded_ = true;
    view::Unload(form_);
  }
  event->accept();
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    const auto found = controls_.find(watched);
    if (found != controls_.end()) {
      if (found->second->Kind() == ControlKind::kCommandButton) {
        view::MouseMove(form_, *static_cast<CommandButton*>(found->second));
      } else if (found->second->Kind() == ControlKind::kImage) {
        view::MouseMove(form_, *static_cast<Image*>(found->second));
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tavro
