// Building the native widget of each control and wiring its events to the
// form through the view contract.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

#include "view/qt/Accessible.h"
#include "view/qt/Form1Window.h"
#include "view/qt/Form1WindowHelpers.h"
#include "view/qt/Widgets.h"
#include "window/ViewContract.h"

namespace tavro {

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
      auto* button = new OptionRadio(parent);
      button->setAutoExclusive(false);
      SetAccessibleName(button, Q(AccessibleName(model.Design())));
      // Every change of its state, however made (a click, Space, a screen
      // reader's action), goes the way of a click; the view's own mirroring
      // of the model is made with its signals blocked and never comes here.
      connect(button, &QAbstractButton::toggled, this, [this, &model, button] {
        view::SelectOption(form_, model);
        const QSignalBlocker block(button);
        button->setChecked(model.Value());
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
      if (view::TakesFocus(model)) {
        auto* button = new PictureButton(parent, model.Stretch());
        button->setMouseTracking(true);
        button->installEventFilter(this);
        SetAccessibleName(button, Q(AccessibleName(model.Design())));
        connect(button, &QAbstractButton::clicked, this,
                [this, &model] { view::Click(form_, model); });
        return button;
      }
      auto* view = new ImageView(parent, model.Stretch());
      view->setFocusPolicy(Qt::NoFocus);
      view->setMouseTracking(true);
      view->installEventFilter(this);
      return view;
    }
    case ControlKind::kTextBox: {
      auto* carrier = new TextCarrier(parent);
      carrier->setFocusPolicy(Qt::NoFocus);
      return carrier;
    }
    case ControlKind::kFileListBox:
    case ControlKind::kDirListBox:
    case ControlKind::kDriveListBox: {
      QWidget* list = BuildList(control, parent);
      SetAccessibleName(list, Q(AccessibleName(control.Design())));
      return list;
    }
    case ControlKind::kTimer:
      break;
  }
  return new QWidget(parent);
}

QWidget* Form1Window::BuildList(Control& control, QWidget* parent) {
  switch (control.Kind()) {
    case ControlKind::kFileListBox: {
      auto& model = static_cast<FileListBox&>(control);
      auto* list = new FileList(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setItemDelegate(new GameRowDelegate(list));
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
      // A row selected other than by the keyboard or the mouse (a screen
      // reader's action) becomes the highlight that Enter opens.
      connect(list, &QListWidget::itemSelectionChanged, this, [list] {
        const auto selected = list->selectionModel()->selectedIndexes();
        if (!selected.isEmpty() && selected.front() != list->currentIndex())
          list->selectionModel()->setCurrentIndex(selected.front(), QItemSelectionModel::NoUpdate);
      });
      return list;
    }
    case ControlKind::kDriveListBox: {
      auto& model = static_cast<DriveListBox&>(control);
      auto* combo = new DriveCombo(parent);
      // Read again as it opens, so a drive attached since shows up.
      combo->Opening = [this] { view::DriveListOpening(form_); };
      // Any change of the drive shown (the list, the arrow keys, a screen
      // reader) is the user's pick; the view's mirroring is made with its
      // signals blocked.
      connect(combo, &QComboBox::currentIndexChanged, this, [this, &model, combo](int index) {
        view::PickDrive(form_, index);
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(model.ListIndex());
      });
      return combo;
    }
    default:
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

}  // namespace tavro
