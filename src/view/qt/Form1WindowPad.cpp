// What the game controller needs of the window: whether it is in front,
// its message boxes, the focus and the folder list's highlight.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

#include "view/qt/Form1Window.h"

namespace tavro {

bool Form1Window::LauncherActive() {
  const QWidget* active = QApplication::activeWindow();
  return active == this || (MessageBoxOpen() && active == QApplication::activeModalWidget());
}

bool Form1Window::MessageBoxOpen() {
  const auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  return box != nullptr && box->isVisible() && box->parentWidget() == this;
}

void Form1Window::CloseMessageBox() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr)
    return;
  // Enter presses the default button; a box of one button has it as such.
  if (QAbstractButton* ok =
          box->defaultButton() ? box->defaultButton() : box->button(QMessageBox::Ok)) {
    ok->click();
  } else {
    box->accept();
  }
}

Control* Form1Window::FocusedControl() {
  const auto found = controls_.find(QApplication::focusWidget());
  return found == controls_.end() ? nullptr : found->second;
}

void Form1Window::Focus(Control& control) {
  if (auto* widget = qobject_cast<QWidget*>(ObjectOf(control)))
    widget->setFocus(Qt::TabFocusReason);
}

void Form1Window::ShowFocus() {
  // What a Tab press sets: the styles draw the focus frame from then on.
  if (!testAttribute(Qt::WA_KeyboardFocusChange)) {
    setAttribute(Qt::WA_KeyboardFocusChange);
    if (QWidget* focused = QApplication::focusWidget())
      focused->update();
  }
}

int Form1Window::FolderHighlight() {
  const auto* list = qobject_cast<QListWidget*>(ObjectOf(form_.Dir1));
  return list != nullptr ? list->currentRow() : -1;
}

void Form1Window::SetFolderHighlight(int row) {
  if (auto* list = qobject_cast<QListWidget*>(ObjectOf(form_.Dir1))) {
    const QSignalBlocker block(list);
    list->setCurrentRow(row);
  }
}

bool Form1Window::DriveListOpen() {
  const auto* combo = qobject_cast<QComboBox*>(ObjectOf(form_.Drive1));
  return combo != nullptr && combo->view()->isVisible();
}

void Form1Window::OpenDriveList(bool open) {
  auto* combo = qobject_cast<QComboBox*>(ObjectOf(form_.Drive1));
  if (combo == nullptr || open == DriveListOpen())
    return;
  if (open) {
    // The list was read afresh by the caller already.
    combo->QComboBox::showPopup();
  } else {
    combo->hidePopup();
  }
}

int Form1Window::DriveHighlight() {
  const auto* combo = qobject_cast<QComboBox*>(ObjectOf(form_.Drive1));
  return combo != nullptr ? combo->view()->currentIndex().row() : -1;
}

void Form1Window::SetDriveHighlight(int row) {
  if (auto* combo = qobject_cast<QComboBox*>(ObjectOf(form_.Drive1))) {
    // The highlight of the open list only; the drive shown stays.
    combo->view()->setCurrentIndex(combo->model()->index(row, 0));
  }
}

void Form1Window::WatchPadWhileLoading(bool on) {
  if (start_up_pad_ == nullptr) {
    start_up_pad_ = new QTimer(this);
    start_up_pad_->setInterval(form_.Timer1.Interval());
    connect(start_up_pad_, &QTimer::timeout, this, [this] { view::StartUpPad(form_, *this); });
  }
  if (on) {
    start_up_pad_->start();
  } else {
    start_up_pad_->stop();
  }
}

void Form1Window::Later(std::function<void()> work) {
  QTimer::singleShot(0, this, std::move(work));
}

}  // namespace tavro
