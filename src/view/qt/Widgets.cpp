#include "view/qt/Widgets.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include "view/qt/QtServices.h"
#include "window/ViewContract.h"

namespace tavro {

void FrameBox::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void FrameBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QFontMetrics metrics(font());
  const QRect box = rect().adjusted(0, metrics.height() / 2, 0, 0);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(box.adjusted(1, 1, -1, -1));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(box.adjusted(0, 0, -2, -2));
  const QString shown = ShownTitle();
  if (shown.isEmpty())
    return;
  const QRect caption(6, 0, metrics.horizontalAdvance(shown) + 4, metrics.height());
  painter.fillRect(caption, palette().color(QPalette::Window));
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(caption, Qt::AlignCenter, shown);
}

QString FrameBox::ShownTitle() const {
  // A caption wider than the frame ends in an ellipsis inside its line,
  // rather than being cut off mid-letter at the frame's edge.
  return QFontMetrics(font()).elidedText(title_, Qt::ElideRight, std::max(0, width() - 14));
}

void CaptionButton::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this) / 2;
  QRect text_rect = rect().adjusted(margin, margin, -margin, -margin);
  if (isDown()) {
    text_rect.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                        style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
  }
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  painter.drawText(text_rect, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, text());
}

void CaptionButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isDown() || isCheckable() || autoRepeat() ||
      !hitButton(event->position().toPoint())) {
    QPushButton::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  setDown(false);
  // As Qt's own click tells it; the button may be gone once told.
  const QPointer<CaptionButton> self(this);
  emit released();
  if (self)
    emit clicked(false);
}

void PictureView::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  update();
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
  const auto* picture = AsQtPicture(picture_);
  if (!picture)
    return;
  const QImage& image = picture->image();
  const view::Rect fit = view::FitPicture(image.width(), image.height(), width(), height());
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(fit.left, fit.top, fit.width, fit.height), image);
}

void ImageView::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  update();
}

namespace {

void DrawImage(QWidget* widget, const PicturePtr& picture, bool stretch) {
  const auto* shown = AsQtPicture(picture);
  if (!shown)
    return;
  QPainter painter(widget);
  if (stretch) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(widget->rect(), shown->image());
  } else {
    painter.drawImage(QPoint(0, 0), shown->image());
  }
}

}  // namespace

void ImageView::paintEvent(QPaintEvent* /*event*/) {
  DrawImage(this, picture_, stretch_);
}

PictureButton::PictureButton(QWidget* parent, bool stretch)
    : QAbstractButton(parent), stretch_(stretch) {
  setFocusPolicy(Qt::TabFocus);
}

void PictureButton::SetPicture(PicturePtr picture) {
  picture_ = std::move(picture);
  update();
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
  DrawImage(this, picture_, stretch_);
  if (!hasFocus())
    return;
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  // Only the keyboard, the controller or a reader give it the focus, so the
  // mark always shows (a style draws it only after a key press otherwise).
  option.state |= QStyle::State_KeyboardFocusChange;
  option.rect = rect().adjusted(1, 1, -1, -1);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
  // Space is the button's own (pressed, then a click on its release).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

void FileList::focusInEvent(QFocusEvent* event) {
  const bool had_current = currentIndex().isValid();
  QListWidget::focusInEvent(event);
  if (!had_current && selectedItems().isEmpty())
    selectionModel()->clearCurrentIndex();
}

void GameRowDelegate::SetColumnTexts(const QStringList& times, const QStringList& days) {
  times_ = times;
  days_ = days;
}

void GameRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  const QStringList parts = index.data(Qt::DisplayRole).toString().split(QLatin1Char('\t'));
  if (parts.size() < 2) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  item.text.clear();
  const QWidget* widget = item.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  // Background, selection and focus as for any row; the texts go on top.
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
  // Inset as the style insets a row's own text.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                         .adjusted(margin, 0, -margin, 0);
  const QFontMetrics metrics(item.font);
  auto widest = [&metrics](const QStringList& texts) {
    int width = 0;
    for (const QString& t : texts)
      width = std::max(width, metrics.horizontalAdvance(t));
    return width;
  };
  const int gap = metrics.horizontalAdvance(QLatin1Char(' ')) * 2;
  QRect day = text;
  day.setLeft(text.right() - widest(days_));
  QRect time = text;
  time.setRight(day.left() - gap);
  time.setLeft(time.right() - widest(times_));
  QRect name = text;
  name.setRight(time.left() - gap);
  painter->save();
  painter->setFont(item.font);
  const QPalette::ColorGroup group =
      item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
  painter->setPen(item.palette.color(
      group, item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
  const int align = Qt::AlignVCenter | Qt::TextSingleLine;
  painter->drawText(name, align | Qt::AlignLeft,
                    metrics.elidedText(parts[0], Qt::ElideRight, std::max(0, name.width())));
  painter->drawText(time, align | Qt::AlignRight, parts[1]);
  painter->drawText(day, align | Qt::AlignLeft, parts.value(2));
  painter->restore();
}

void FolderDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
  QStyleOptionViewItem shifted = option;
  shifted.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * kIndent);
  QStyledItemDelegate::paint(painter, shifted, index);
}

QSize FolderDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.rwidth() += index.data(kDepthRole).toInt() * kIndent;
  return size;
}

}  // namespace tavro
