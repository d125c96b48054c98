#pragma once
// What the Qt view tests share: a form with its view on real services, and a
// watcher that answers the real message boxes the program opens.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "window/Layout.h"
#include "view/qt/Form1Window.h"
#include "view/qt/QtRoles.h"
#include "window/Form1.h"

namespace tavro::test {

inline PosixOptions TestOptions() {
  PosixOptions options;
  // Neither meet a launcher the user runs nor read the user's keyboard.
  options.instance_name = "tavro-qt-view-test";
  options.display = ":65000";
  return options;
}

// The program's objects as main() makes them, without the load event (which
// touches the program's folder and the desktop).
struct FormView {
  QtRoles services{TestOptions()};
  Form1 form{services.All()};
  Form1Window window{form};

  FormView() {
    // The hotkey poll would act on the desktop; the tests set their own.
    form.Timer1.Tick = nullptr;
    services.dialogs.SetMessageOwner(&window);
  }

  template <typename W = QWidget>
  W* Widget(const char* id) const {
    return window.findChild<W*>(QString::fromLatin1(id));
  }
};

// One of the program's pictures decoded from its file in resources/.
inline QImage SourcePicture(const char* name) {
  return QImage(QStringLiteral(TAVRO_RESOURCES_DIR "/") + QString::fromLatin1(name));
}

inline int Px(int twips) {
  return TwipsToPixels(twips, 96);
}

inline QRect DesignRect(const ControlDesign& d) {
  return QRect(Px(d.left), Px(d.top), Px(d.width), Px(d.height));
}

// Answers every message box that opens while it lives: records it and
// presses its OK button, so a modal box never blocks a test.
class MessageBoxWatcher {
 public:
  struct Seen {
    QString title;
    QString text;
    int buttons;
    QWidget* owner;
    Qt::TextFormat format;
    int width;
    QFont font;
  };

  MessageBoxWatcher() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
    poll_.start(5);
  }
  const std::vector<Seen>& seen() const { return seen_; }

 private:
  // The width the box's text is shown in: its label's.
  static int TextWidth(const QMessageBox& box) {
    const auto* label = box.findChild<const QLabel*>(QStringLiteral("qt_msgbox_label"));
    return label != nullptr ? label->width() : box.width();
  }
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
      return;
    seen_.push_back({box->windowTitle(), box->text(), static_cast<int>(box->buttons().size()),
                     box->parentWidget(), box->textFormat(), TextWidth(*box), box->font()});
    if (auto* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  }

  QTimer poll_;
  std::vector<Seen> seen_;
};

// True when two colours differ by no more than tolerance in each channel
// (JPEG and smooth scaling do not give exact pixels).
inline bool Near(QColor a, QColor b, int tolerance = 24) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

// A point of a container away from its edges, its title and every child.
inline QPoint FreePoint(const QWidget* container) {
  const int margin = 5;
  for (int y = container->height() / 2; y < container->height() - margin; ++y) {
    for (int x = margin; x < container->width() - margin; ++x) {
      bool free = true;
      for (const auto* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(container) &&
            child->geometry().adjusted(-2, -2, 2, 2).contains(x, y)) {
          free = false;
          break;
        }
      }
      if (free)
        return {x, y};
    }
  }
  return {-1, -1};
}

}  // namespace tavro::test
