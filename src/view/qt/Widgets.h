#pragma once
// The widgets Qt has no ready match for: a command button whose caption wraps
// like the classic one, a picture box, an image control and one that acts as
// a button, and the folder list's indentation.

#include <QAbstractButton>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

#include "runtime/Runtime.h"

namespace tavro {

// A frame drawn the classic way: an etched line round it, broken by its
// caption at the top left, and inside only its back colour (the toolkit's
// own frame tints its inside, so a white frame would not be white). Not a
// QGroupBox: that one measures its caption in its font as soon as it is
// given, which loads the fonts before the window can show; here the caption
// is measured when it is first drawn.
class FrameBox final : public QWidget {
 public:
  using QWidget::QWidget;
  void SetTitle(const QString& title);
  const QString& Title() const { return title_; }
  // The caption as drawn: with an ellipsis when the frame is too narrow.
  QString ShownTitle() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
};

// A push button whose caption wraps onto more lines when it does not fit
// ("Play Game" on a 49-pixel-wide button). A click of the mouse is told at
// once on the release, the button drawn up at the next paint: Qt's own
// button first draws itself up and hands the picture to the X server, a
// wait the game's start does not need.
class CaptionButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// Draws its picture scaled to fit the box keeping its shape, centred (a
// picture of the box's size exactly as it is); what the picture leaves free
// shows the back colour.
class PictureView final : public QWidget {
 public:
  using QWidget::QWidget;
  void SetPicture(PicturePtr picture);
  const PicturePtr& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PicturePtr picture_;
};

// An image control: its picture, stretched to the control's size or at its
// own size; transparent elsewhere.
class ImageView final : public QWidget {
 public:
  explicit ImageView(QWidget* parent, bool stretch) : QWidget(parent), stretch_(stretch) {}
  void SetPicture(PicturePtr picture);
  const PicturePtr& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PicturePtr picture_;
  bool stretch_;
};

// An image control that acts on a click (Donate), drawn as ImageView draws
// and made a button for the keyboard and screen readers: Tab brings the
// focus to it (a click leaves the focus where it was, as the picture did), a
// frame then shows it, and Space, Enter and a reader's press act as
// a click does.
class PictureButton final : public QAbstractButton {
 public:
  PictureButton(QWidget* parent, bool stretch);
  void SetPicture(PicturePtr picture);
  const PicturePtr& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  PicturePtr picture_;
  bool stretch_;
};

// A text box that is never shown and never takes the focus: it only carries
// its text (the donation page written out on a click), so none of an edit's
// document, layout and scroll bars is made for it.
class TextCarrier final : public QWidget {
 public:
  using QWidget::QWidget;
  void SetText(QString text) { text_ = std::move(text); }
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

// The file list. Taking the focus (Tab) gives Qt's list a current row; here it
// stays without one until the user selects, so the focus alone never looks
// like, or turns into, a selection, and the first arrow key selects the
// first file.
class FileList final : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

// The file list's rows. A row whose text holds tabs (a game with the
// player's records: name, time played, day last played) is drawn in
// columns lined up across the rows, its name cut with an ellipsis where
// they begin; any other row is drawn as the list draws it.
class GameRowDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  // The texts the columns must hold: the widest of each is measured.
  void SetColumnTexts(const QStringList& times, const QStringList& days);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  QStringList times_;
  QStringList days_;
};

// Indents each folder of the folder list by its depth.
class FolderDelegate final : public QStyledItemDelegate {
 public:
  static constexpr int kDepthRole = Qt::UserRole + 1;
  static constexpr int kIndent = 8;
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tavro
