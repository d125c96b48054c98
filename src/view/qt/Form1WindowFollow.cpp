// The view following the models: every property change reaches the native
// widget at once, so what a modal message box covers is already current.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "view/qt/Form1Window.h"
#include "view/qt/Form1WindowHelpers.h"
#include "view/qt/QtServices.h"
#include "view/qt/Widgets.h"
#include "window/ViewContract.h"

namespace tavro {

namespace {

constexpr int kLogicalDpi = 96;

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

void FillFolders(QListWidget* list, const DirListBox& dir, const QIcon& open, const QIcon& closed) {
  const QSignalBlocker block(list);
  list->clear();
  const auto& entries = dir.List();
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    const auto& entry = entries[static_cast<size_t>(i)];
    // The folder shown and its ancestors are open; its subfolders closed.
    auto* item = new QListWidgetItem(i <= dir.ListIndex() ? open : closed, Q(entry.name));
    item->setData(FolderDelegate::kDepthRole, entry.depth);
    item->setToolTip(Q(entry.path));
    list->addItem(item);
  }
  list->setCurrentRow(dir.ListIndex());
  // A list not shown yet scrolls to its current row as it shows (Qt's own
  // rule); laid out now, it would load the fonts before the window shows.
  if (auto* current = list->currentItem(); current && list->isVisible())
    list->scrollToItem(current);
}

void FillFiles(QListWidget* list, const FileListBox& files) {
  QStringList times;
  QStringList days;
  {
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& name : files.List()) {
      const QString text = Q(name);
      list->addItem(text);
      const QStringList parts = text.split(QLatin1Char('\t'));
      if (parts.size() > 2) {
        times << parts[1];
        days << parts[2];
      }
    }
  }
  // The columns are as wide as the widest time and day shown.
  if (auto* rows = dynamic_cast<GameRowDelegate*>(list->itemDelegate()))
    rows->SetColumnTexts(times, days);
  ShowFileSelection(list, files.ListIndex());
}

void FillDrives(QComboBox* combo, const DriveListBox& drives, const QIcon& icon) {
  const QSignalBlocker block(combo);
  combo->clear();
  for (const auto& drive : drives.List())
    combo->addItem(icon, Q(drive));
  combo->setCurrentIndex(drives.ListIndex());
}

}  // namespace

int Px(int twips) {
  return TwipsToPixels(twips, kLogicalDpi);
}

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ToQColor(std::uint32_t value) {
  if (!color::IsSystem(value)) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
  }
  const QPalette system = QApplication::palette();
  switch (color::SystemIndex(value)) {
    case 5:  // COLOR_WINDOW
      return system.color(QPalette::Base);
    case 8:  // COLOR_WINDOWTEXT
      return system.color(QPalette::Text);
    case 13:  // COLOR_HIGHLIGHT
      return system.color(QPalette::Highlight);
    case 14:  // COLOR_HIGHLIGHTTEXT
      return system.color(QPalette::HighlightedText);
    case 17:  // COLOR_GRAYTEXT
      return system.color(QPalette::Disabled, QPalette::Text);
    case 18:  // COLOR_BTNTEXT
      return system.color(QPalette::ButtonText);
    case 15:  // COLOR_BTNFACE
    default:
      return system.color(QPalette::Button);
  }
}

void ShowFileSelection(QListWidget* list, int index) {
  const QSignalBlocker block(list);
  if (index >= 0) {
    list->setCurrentRow(index);
  } else {
    list->clearSelection();
    list->selectionModel()->clearCurrentIndex();
  }
}

void Form1Window::FollowAll(Control& control) {
  static constexpr Property kAll[] = {
      Property::kCaption, Property::kText,      Property::kValue,       Property::kPicture,
      Property::kList,    Property::kPath,      Property::kListIndex,   Property::kDrive,
      Property::kEnabled, Property::kBackColor, Property::kMousePointer};
  for (auto p : kAll)
    Follow(control, p);
}

void Form1Window::Follow(Control& control, Property property) {
  QObject* object = ObjectOf(control);
  if (!object)
    return;
  if (control.Kind() == ControlKind::kTimer) {
    auto& timer = static_cast<Timer&>(control);
    auto* qtimer = static_cast<QTimer*>(object);
    if (property != Property::kEnabled)
      return;
    if (timer.Running()) {
      qtimer->start();
    } else {
      qtimer->stop();
    }
    return;
  }
  auto* widget = static_cast<QWidget*>(object);
  switch (property) {
    case Property::kBackColor:
      ApplyColors(control, widget);
      return;
    case Property::kMousePointer:
    case Property::kMouseIcon:
      ApplyPointer(control, widget);
      return;
    default:
      break;
  }
  switch (control.Kind()) {
    case ControlKind::kFrame:
      if (property == Property::kCaption) {
        const QString caption = Q(static_cast<Frame&>(control).Caption());
        static_cast<FrameBox*>(widget)->SetTitle(caption);
        // Named by its caption, as a group box is.
        SetAccessibleName(widget, caption);
      }
      break;
    case ControlKind::kLabel:
      if (property == Property::kCaption) {
        static_cast<QLabel*>(widget)->setText(Q(static_cast<Label&>(control).Caption()));
      }
      break;
    case ControlKind::kCommandButton:
      if (property == Property::kCaption) {
        static_cast<QPushButton*>(widget)->setText(
            Q(static_cast<CommandButton&>(control).Caption()));
      }
      break;
    case ControlKind::kOptionButton:
      if (property == Property::kValue) {
        auto* button = static_cast<QRadioButton*>(widget);
        const QSignalBlocker block(button);
        button->setChecked(static_cast<OptionButton&>(control).Value());
      }
      break;
    case ControlKind::kPictureBox:
      if (property == Property::kPicture) {
        static_cast<PictureView*>(widget)->SetPicture(static_cast<PictureBox&>(control).Picture());
      }
      break;
    case ControlKind::kImage:
      if (property == Property::kPicture) {
        const PicturePtr& picture = static_cast<Image&>(control).Picture();
        if (auto* button = dynamic_cast<PictureButton*>(widget)) {
          button->SetPicture(picture);
        } else {
          static_cast<ImageView*>(widget)->SetPicture(picture);
        }
      }
      break;
    case ControlKind::kTextBox:
      if (property == Property::kText) {
        static_cast<TextCarrier*>(widget)->SetText(Q(static_cast<TextBox&>(control).Text()));
      }
      break;
    case ControlKind::kFileListBox:
    case ControlKind::kDirListBox:
    case ControlKind::kDriveListBox:
      FollowList(control, widget, property);
      break;
    case ControlKind::kTimer:
      break;
  }
}

void Form1Window::FollowList(Control& control, QWidget* widget, Property property) {
  switch (control.Kind()) {
    case ControlKind::kFileListBox: {
      auto& files = static_cast<FileListBox&>(control);
      auto* list = static_cast<QListWidget*>(widget);
      if (property == Property::kList) {
        FillFiles(list, files);
      } else if (property == Property::kListIndex) {
        ShowFileSelection(list, files.ListIndex());
      }
      break;
    }
    case ControlKind::kDirListBox:
      if (property == Property::kPath || property == Property::kList) {
        FillFolders(static_cast<QListWidget*>(widget), static_cast<DirListBox&>(control),
                    folder_open_, folder_closed_);
      }
      break;
    case ControlKind::kDriveListBox: {
      auto& drives = static_cast<DriveListBox&>(control);
      auto* combo = static_cast<QComboBox*>(widget);
      if (property == Property::kList) {
        FillDrives(combo, drives, drive_icon_);
      } else if (property == Property::kDrive) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(drives.ListIndex());
      }
      break;
    }
    default:
      break;
  }
}

void Form1Window::ApplyColors(const Control& control, QWidget* widget) {
  const QColor back = ToQColor(control.BackColor());
  const QColor fore = ToQColor(control.ForeColor());
  switch (control.Kind()) {
    case ControlKind::kFrame:
    case ControlKind::kOptionButton:
    case ControlKind::kPictureBox:
      // Each widget class fills from its own role (a radio button from
      // Button, a frame from Window).
      SetColor(widget, widget->backgroundRole(), back);
      SetColor(widget, widget->foregroundRole(), fore);
      widget->setAutoFillBackground(true);
      break;
    case ControlKind::kLabel:
      // A label in its kind's own colour lets what lies under it show: the
      // white frames, the window's picture under the contact lines. One
      // given a colour of its own paints it.
      SetColor(widget, widget->backgroundRole(), back);
      SetColor(widget, widget->foregroundRole(), fore);
      widget->setAutoFillBackground(!view::DrawsTransparent(control));
      break;
    case ControlKind::kCommandButton:
      SetColor(widget, QPalette::Button, back);
      SetColor(widget, QPalette::ButtonText, fore);
      break;
    case ControlKind::kTextBox:
    case ControlKind::kFileListBox:
    case ControlKind::kDirListBox:
    case ControlKind::kDriveListBox:
      SetColor(widget, QPalette::Base, back);
      SetColor(widget, QPalette::Text, fore);
      break;
    case ControlKind::kImage:
    case ControlKind::kTimer:
      break;
  }
}

void Form1Window::ApplyPointer(const Control& control, QWidget* widget) {
  const auto* icon = AsQtPicture(control.MouseIcon());
  if (control.MousePointer() == kPointerCustom && icon) {
    const QPixmap pixmap = QPixmap::fromImage(icon->image());
    // The hot spot is given in the pointer picture's own pixels; it moves
    // with the picture should the platform hand a larger one.
    const int base = std::max(1, icon->Width());
    const int scale = pixmap.width();
    widget->setCursor(
        QCursor(pixmap, view::kHandHotspot.x * scale / base, view::kHandHotspot.y * scale / base));
  } else {
    widget->unsetCursor();
  }
}

}  // namespace tavro
