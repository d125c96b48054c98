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

#include "view/qt/QtServices.h"
#include "view/qt/Widgets.h"
#include "window/ViewContract.h"

namespace tavro {

namespace {

// Logical pixels: Qt's own high-DPI scaling turns them into device pixels.
constexpr int kLogicalDpi = 96;
constexpr qreal kDesignPointSize = 8.25;

int Px(int twips) {
  return TwipsToPixels(twips, kLogicalDpi);
}

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A colour as the classic runtime stores it: a Windows system colour taken
// from the system's palette, so it follows the colour scheme, or a fixed
// 0x00BBGGRR.
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

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

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

// The model's selection, and no current row without one (see FileList).
void ShowFileSelection(QListWidget* list, int index) {
  const QSignalBlocker block(list);
  if (index >= 0) {
    list->setCurrentRow(index);
  } else {
    list->clearSelection();
    list->selectionModel()->clearCurrentIndex();
  }
}

void FillFiles(QListWidget* list, const FileListBox& files) {
  {
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& name : files.List())
      list->addItem(Q(name));
  }
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

Form1Window::Form1Window(Form1& form, Services& /*services: reached through the form*/)
    : QWidget(nullptr), form_(form) {
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

QObject* Form1Window::Build(Control& control, QWidget* parent) {
  if (control.Kind() == ControlKind::kTimer)
    return BuildTimer(static_cast<Timer&>(control));
  QWidget* widget = BuildWidget(control, parent);
  const auto& d = control.Design();
  widget->setGeometry(Px(d.left), Px(d.top), Px(d.width), Px(d.height));
  widget->setVisible(d.visible);
  return widget;
}

QWidget* Form1Window::BuildWidget(Control& control, QWidget* parent) {
  switch (control.Kind()) {
    case ControlKind::kFrame: {
      auto* box = new FrameBox(parent);
      box->setFocusPolicy(Qt::NoFocus);
      return box;
    }
    case ControlKind::kLabel: {
      auto* label = new QLabel(parent);
      label->setFocusPolicy(Qt::NoFocus);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      // The legend lines of Frame17 overlap by a few pixels; stacked with
      // the earlier line on top, no line's background covers the text of
      // the line above it.
      label->lower();
      return label;
    }
    case ControlKind::kCommandButton: {
      auto& model = static_cast<CommandButton&>(control);
      auto* button = new CaptionButton(parent);
      button->setAutoDefault(false);
      button->setMouseTracking(true);
      button->installEventFilter(this);
      connect(button, &QPushButton::clicked, this, [this, &model] { view::Click(form_, model); });
      return button;
    }
    case ControlKind::kOptionButton: {
      auto& model = static_cast<OptionButton&>(control);
      // The model keeps each group exclusive; Qt's own exclusivity would
      // decide on its own, so the widget only mirrors the model. Its caption
      // lies beyond its width and never shows; the label beside it names it.
      auto* button = new QRadioButton(parent);
      button->setAutoExclusive(false);
      SetAccessibleName(button, Q(AccessibleName(model.Design())));
      connect(button, &QRadioButton::clicked, this, [this, &model, button] {
        view::SelectOption(form_, model);
        const QSignalBlocker block(button);
        button->setChecked(model.Selected());
      });
      return button;
    }
    case ControlKind::kPictureBox: {
      auto* view = new PictureView(parent);
      view->setFocusPolicy(Qt::NoFocus);
      return view;
    }
    case ControlKind::kImage: {
      auto& model = static_cast<Image&>(control);
      auto* view = new ImageView(parent, model.Stretch());
      view->setFocusPolicy(Qt::NoFocus);
      view->setMouseTracking(true);
      view->installEventFilter(this);
      view->Clicked = [this, &model] { view::Click(form_, model); };
      return view;
    }
    case ControlKind::kTextBox: {
      auto* carrier = new TextCarrier(parent);
      carrier->setFocusPolicy(Qt::NoFocus);
      return carrier;
    }
    case ControlKind::kFileListBox: {
      auto& model = static_cast<FileListBox&>(control);
      auto* list = new FileList(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      // What the user selected (click, arrow keys, Space, Home/End), never
      // where the current row went with the focus.
      connect(list, &QListWidget::itemSelectionChanged, this, [this, &model, list] {
        const auto selected = list->selectedItems();
        // Qt does not tell whether more input is waiting, so the cover always
        // waits for a queued call (see ShowCoverAfterInput).
        view::PickFile(form_, selected.isEmpty() ? -1 : list->row(selected.front()), true);
        ShowFileSelection(list, model.ListIndex());
        ShowCoverAfterInput();
      });
      return list;
    }
    case ControlKind::kDirListBox: {
      auto& model = static_cast<DirListBox&>(control);
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setItemDelegate(new FolderDelegate(list));
      // A click only moves the highlight; opening (double-click or Enter)
      // shows the folder, picked by its row: a name that is not UTF-8 does
      // not survive the trip through the widget's text.
      connect(list, &QListWidget::itemActivated, this, [this, &model, list](QListWidgetItem* item) {
        view::OpenFolder(form_, list->row(item));
        const QSignalBlocker block(list);
        list->setCurrentRow(model.ListIndex());
      });
      return list;
    }
    case ControlKind::kDriveListBox: {
      auto& model = static_cast<DriveListBox&>(control);
      auto* combo = new DriveCombo(parent);
      // Read again as it opens, so a drive attached since shows up.
      combo->Opening = [this] { view::DriveListOpening(form_); };
      connect(combo, &QComboBox::activated, this, [this, &model, combo](int index) {
        view::PickDrive(form_, index);
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(model.ListIndex());
      });
      return combo;
    }
    case ControlKind::kTimer:
      break;
  }
  return new QWidget(parent);
}

QTimer* Form1Window::BuildTimer(Timer& timer) {
  auto* qtimer = new QTimer(this);
  qtimer->setInterval(timer.Interval());
  connect(qtimer, &QTimer::timeout, this,
          [this, &timer] { view::TimerExpired(form_, timer, this); });
  return qtimer;
}

void Form1Window::ShowCoverAfterInput() {
  // A queued call runs from the event loop once the input the window system
  // has handed over already is delivered, whichever comes first: the
  // platform hands over what it has read as one batch, and a call queued
  // during the batch waits for its end. So a held key's repeats, read
  // together while a cover was being decoded, decode one cover between
  // them, never one each; a key at a time still shows each row's cover.
  if (cover_call_queued_ || !view::CoverWaiting(form_))
    return;
  cover_call_queued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        cover_call_queued_ = false;
        if (view::CoverWaiting(form_))
          view::ShowWaitingCover(form_);
      },
      Qt::QueuedConnection);
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
    case Property::kForeColor:
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
        button->setChecked(static_cast<OptionButton&>(control).Selected());
      }
      break;
    case ControlKind::kPictureBox:
      if (property == Property::kPicture) {
        static_cast<PictureView*>(widget)->SetPicture(static_cast<PictureBox&>(control).Picture());
      }
      break;
    case ControlKind::kImage:
      if (property == Property::kPicture) {
        static_cast<ImageView*>(widget)->SetPicture(static_cast<Image&>(control).Picture());
      }
      break;
    case ControlKind::kTextBox:
      if (property == Property::kText) {
        static_cast<TextCarrier*>(widget)->SetText(Q(static_cast<TextBox&>(control).Text()));
      }
      break;
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
    case ControlKind::kTimer:
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

void Form1Window::SetTabOrder() {
  std::vector<std::pair<int, QWidget*>> order;
  for (auto* control : form_.Controls()) {
    auto* widget = qobject_cast<QWidget*>(ObjectOf(*control));
    const int tab = control->Design().tab_index;
    if (!widget || tab == kNoTabIndex || widget->focusPolicy() == Qt::NoFocus)
      continue;
    order.emplace_back(tab, widget);
  }
  std::sort(order.begin(), order.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 1; i < order.size(); ++i)
    setTabOrder(order[i - 1].second, order[i].second);
  first_focus_ = order.empty() ? nullptr : order.front().second;
}

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

void Form1Window::Later(std::function<void()> work) {
  QTimer::singleShot(0, this, std::move(work));
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
