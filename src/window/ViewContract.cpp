#include "window/ViewContract.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "runtime/EventDispatch.h"

namespace tavro::view {

namespace {
void Run(Form1& form, const std::function<void()>& handler) {
  if (handler)
    RunEvent(form.Runtime().dialogs, handler);
}
}  // namespace

void LoadAndShow(Form1& form, const std::function<void()>& show) {
  RunEvent(form.Runtime().dialogs, [&form] { form.Form_Load(); });
  show();
  form.Timer1.Start();
}

void Unload(Form1& form) {
  // No tick may run between the unload and the window's end.
  form.Timer1.Stop();
  bool cancel = false;
  RunEvent(form.Runtime().dialogs, [&form, &cancel] { form.Form_Unload(cancel); });
}

namespace {

// The entry of a list one step from index, kept within the list; from no
// entry any step lands on the first. -1 for an empty list.
int Step(int index, int delta, std::size_t count) {
  if (count == 0)
    return -1;
  if (index < 0)
    return 0;
  return std::clamp(index + delta, 0, static_cast<int>(count) - 1);
}

// Up and down in the focused list, with the arrow keys' effects: a file
// selected shows its cover, a drive chosen is shown, a folder is only
// highlighted (Enter opens it).
void StepList(Form1& form, PadView& pad, int delta) {
  const Control* focused = pad.FocusedControl();
  if (focused == &form.File1) {
    const int to = Step(form.File1.ListIndex(), delta, form.File1.List().size());
    if (to != form.File1.ListIndex())
      PickFile(form, to);
  } else if (focused == &form.Drive1) {
    // Opened as a drop-down from a fresh read, so a drive attached since
    // shows; the steps after move its highlight only.
    DriveListOpening(form);
    pad.OpenDriveList(true);
    pad.SetDriveHighlight(form.Drive1.ListIndex());
  } else if (focused == &form.Dir1) {
    pad.SetFolderHighlight(Step(pad.FolderHighlight(), delta, form.Dir1.List().size()));
  }
}

// Left and right: the focus to the previous or next control in tab order,
// round the end; every control that takes the focus is a stop, each option
// button too (Windows' own Tab stops only at a group's selected button,
// which would leave the other out of the controller's reach).
void MoveFocus(Form1& form, PadView& pad, bool forward) {
  std::vector<Control*> order = TabOrder(form);
  std::erase_if(order, [](const Control* c) { return !c->Visible(); });
  if (order.empty())
    return;
  const auto at = std::find(order.begin(), order.end(), pad.FocusedControl());
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  std::ptrdiff_t to = 0;  // nothing focused: the first
  if (at != order.end())
    to = ((at - order.begin()) + (forward ? 1 : n - 1)) % n;
  pad.Focus(*order[static_cast<std::size_t>(to)]);
}

// A: what Enter or Space does on the focused control.
void Accept(Form1& form, PadView& pad) {
  Control* focused = pad.FocusedControl();
  if (focused == &form.Command1 || focused == &form.File1) {
    Click(form, form.Command1);
  } else if (focused == &form.Dir1) {
    if (pad.FolderHighlight() >= 0)
      OpenFolder(form, pad.FolderHighlight());
    // A folder that could not be shown leaves the highlight on the one that is.
    pad.SetFolderHighlight(form.Dir1.ListIndex());
  } else if (focused != nullptr && focused->Kind() == ControlKind::kOptionButton) {
    SelectOption(form, *static_cast<OptionButton*>(focused));
  } else if (focused != nullptr && focused->Kind() == ControlKind::kImage) {
    Click(form, *static_cast<Image*>(focused));
  }
}

// The drive list opened by the controller: up and down move its highlight,
// A shows the highlighted drive and leaves the list open (a drive that
// cannot be shown falls back, and the highlight stays for the next step),
// B closes it; left, right and the shoulders close it and then move the
// focus. True when the action was all done here.
bool DriveListAct(Form1& form, PadView& pad, PadAction action) {
  switch (action) {
    case PadAction::kUp:
    case PadAction::kDown:
      pad.SetDriveHighlight(
          Step(pad.DriveHighlight(), action == PadAction::kUp ? -1 : 1, form.Drive1.List().size()));
      return true;
    case PadAction::kAccept: {
      const int row = pad.DriveHighlight();
      if (row >= 0)
        PickDrive(form, row);
      pad.SetDriveHighlight(row);
      return true;
    }
    case PadAction::kUpFolder:
      pad.OpenDriveList(false);
      return true;
    case PadAction::kPrevious:
    case PadAction::kNext:
    case PadAction::kPlay:
      pad.OpenDriveList(false);
      return false;
    case PadAction::kOther:
    case PadAction::kNone:
      return true;
  }
  return true;
}

}  // namespace

void PadAct(Form1& form, PadView& pad, PadAction action) {
  // A game started from here on was started with the pad.
  struct Acting {
    PadNavigation& pad;
    explicit Acting(PadNavigation& p) : pad(p) { pad.SetActing(true); }
    ~Acting() { pad.SetActing(false); }
  } acting(form.Pad());
  // A message box is modal: the window behind it takes nothing. A closes
  // it as Enter does, B as Esc does (a box of one button).
  if (pad.MessageBoxOpen()) {
    if (action == PadAction::kAccept || action == PadAction::kUpFolder)
      pad.CloseMessageBox();
    return;
  }
  pad.ShowFocus();
  // The first press only brings the focus to the games, whatever it was.
  if (form.Pad().Wake()) {
    if (pad.DriveListOpen())
      pad.OpenDriveList(false);
    pad.Focus(form.File1);
    return;
  }
  if (pad.DriveListOpen() && DriveListAct(form, pad, action))
    return;
  switch (action) {
    case PadAction::kUp:
    case PadAction::kDown:
      StepList(form, pad, action == PadAction::kUp ? -1 : 1);
      break;
    case PadAction::kPrevious:
    case PadAction::kNext:
      MoveFocus(form, pad, action == PadAction::kNext);
      break;
    case PadAction::kAccept:
      Accept(form, pad);
      break;
    case PadAction::kPlay:
      Click(form, form.Command1);
      break;
    case PadAction::kUpFolder:
      // The entry before the folder shown is its parent; a root has none.
      if (form.Dir1.ListIndex() > 0) {
        OpenFolder(form, form.Dir1.ListIndex() - 1);
        pad.SetFolderHighlight(form.Dir1.ListIndex());
      }
      break;
    case PadAction::kOther:
    case PadAction::kNone:
      break;
  }
}

void TimerExpired(Form1& form, Timer& timer, PadView* pad) {
  bool ticked = false;
  timer.Fire([&form, &ticked](const std::function<void()>& tick) {
    ticked = true;
    Run(form, tick);
  });
  if (!ticked || pad == nullptr || &timer != &form.Timer1)
    return;
  // The tick noticed the end of the last game, and the pad had started one.
  if (form.Pad().ComeBackDue())
    pad->ComeBack();
  const PadAction action = form.Pad().Tick(form.ControllerHeld(), pad->LauncherActive(),
                                           form.Controller().combo, form.Timer1.Interval());
  // Not inside the tick: an action may open a message box, and the ticks
  // under it must still come (its A, the keys).
  if (action != PadAction::kNone)
    pad->Later([&form, pad, action] { PadAct(form, *pad, action); });
}

void StartUpPad(Form1& form, PadView& pad) {
  const PadAction action =
      form.Pad().Tick(form.Runtime().keys.ControllerButtons(), pad.LauncherActive(),
                      form.Controller().combo, form.Timer1.Interval());
  if ((action == PadAction::kAccept || action == PadAction::kUpFolder) && pad.MessageBoxOpen())
    pad.CloseMessageBox();
}

void PickFile(Form1& form, int index, bool input_waiting) {
  form.LetCoversWait(input_waiting);
  Run(form, [&form, index] { form.File1.SetListIndex(index); });
  form.LetCoversWait(false);
  if (!input_waiting)
    ShowWaitingCover(form);
}

bool CoverWaiting(const Form1& form) {
  return form.Picture1.PictureWaiting();
}

void ShowWaitingCover(Form1& form) {
  Run(form, [&form] { form.Picture1.MakeWaitingPicture(); });
}

void OpenFolder(Form1& form, int index) {
  Run(form, [&form, index] { form.Dir1.Open(index); });
}

void PickDrive(Form1& form, int index) {
  Run(form, [&form, index] { form.Drive1.Pick(index); });
}

void DriveListOpening(Form1& form) {
  Run(form, [&form] { form.Drive1.Refresh(form.Runtime().disks.Drives()); });
}

void SelectOption(Form1& form, OptionButton& button) {
  Run(form, [&button] { button.Select(); });
}

void Click(Form1& form, CommandButton& button) {
  Run(form, button.Click);
}

void Click(Form1& form, Image& image) {
  Run(form, image.Click);
}

void MouseMove(Form1& form, CommandButton& button) {
  Run(form, button.MouseMove);
}

void MouseMove(Form1& form, Image& image) {
  Run(form, image.MouseMove);
}

bool TakesFocus(const Control& control) {
  switch (control.Kind()) {
    case ControlKind::kOptionButton:
    case ControlKind::kCommandButton:
    case ControlKind::kFileListBox:
    case ControlKind::kDirListBox:
    case ControlKind::kDriveListBox:
      return true;
    case ControlKind::kImage:
      return static_cast<const Image&>(control).Click != nullptr;
    default:
      return false;
  }
}

std::vector<Control*> TabOrder(const Form1& form) {
  std::vector<Control*> order;
  for (Control* c : form.Controls()) {
    if (TakesFocus(*c))
      order.push_back(c);
  }
  // No TabIndex: after every control that has one.
  const auto position = [](const Control* c) {
    const int tab = c->Design().tab_index;
    return tab == kNoTabIndex ? std::numeric_limits<int>::max() : tab;
  };
  std::stable_sort(order.begin(), order.end(), [&position](const Control* a, const Control* b) {
    return position(a) < position(b);
  });
  return order;
}

bool DrawsTransparent(const Control& control) {
  return control.Kind() == ControlKind::kLabel && control.BackColor() == color::kButtonFace;
}

Rect FitPicture(int width, int height, int box_width, int box_height) {
  if (width <= 0 || height <= 0 || box_width <= 0 || box_height <= 0)
    return {0, 0, 0, 0};
  // Compare width / height with box_width / box_height in integers.
  const auto w = static_cast<std::int64_t>(width), h = static_cast<std::int64_t>(height);
  int out_w = box_width, out_h = box_height;
  if (w * box_height > h * box_width) {
    out_h = static_cast<int>(std::max<std::int64_t>(1, (h * box_width + w / 2) / w));
  } else if (w * box_height < h * box_width) {
    out_w = static_cast<int>(std::max<std::int64_t>(1, (w * box_height + h / 2) / h));
  }
  return {(box_width - out_w) / 2, (box_height - out_h) / 2, out_w, out_h};
}

}  // namespace tavro::view
