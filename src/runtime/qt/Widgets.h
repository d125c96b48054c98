#pragma once
// The widgets Qt has no ready match for: a command button whose caption wraps
// like the classic one, a picture box, an image control, and the folder
// list's indentation.

#include <QGroupBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

#include "runtime/Runtime.h"

namespace tavro {

// A frame drawn the classic way: an etched line round it, broken by its
// caption at the top left, and inside only its back colour (the toolkit's
// own frame tints its inside, so a white frame would not be white).
class FrameBox final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A push button whose caption wraps onto more lines when it does not fit
// ("Play Game" on a 49-pixel-wide button).
class CaptionButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Draws its picture at the picture's own size from the top-left corner; what
// lies beyond the box is cut off, what the picture leaves free shows the
// back colour.
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
// own size; transparent elsewhere. Clicked runs on a left click released
// over it.
class ImageView final : public QWidget {
 public:
  explicit ImageView(QWidget* parent, bool stretch) : QWidget(parent), stretch_(stretch) {}
  void SetPicture(PicturePtr picture);
  const PicturePtr& Picture() const { return picture_; }
  std::function<void()> Clicked;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  PicturePtr picture_;
  bool stretch_;
  bool pressed_ = false;
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
