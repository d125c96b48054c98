#pragma once
// What both views do the same way, decided once. A view creates native
// widgets, mirrors the controls' state into them and turns native events into
// the calls below; it holds no policy of its own.

#include <functional>
#include <vector>

#include "window/Form1.h"

namespace tavro::view {

// Start-up: Form_Load (which may show message boxes or end the program),
// then show() puts the window on screen, then the timer starts. No tick
// comes before the window shows.
void LoadAndShow(Form1& form, const std::function<void()>& show);

// The window closes: the timer stops, then Form_Unload runs. The close is
// never refused.
void Unload(Form1& form);

// What a view tells and does for the game controller; what the controller
// does with it is decided here, once for both views.
class PadView {
 public:
  // The launcher's window, or one of its own message boxes, is the active
  // window of the desktop. While it is not, the controller does nothing in
  // the window (the close combination works all the same).
  virtual bool LauncherActive() = 0;
  // One of the launcher's own message boxes is open; Close presses its OK
  // button, as Enter does.
  virtual bool MessageBoxOpen() = 0;
  virtual void CloseMessageBox() = 0;
  // The control that has the keyboard focus; nullptr when none of the
  // form's has it.
  virtual Control* FocusedControl() = 0;
  // Gives the focus to a control that takes it, as Tab would.
  virtual void Focus(Control& control) = 0;
  // Focus cues are shown from now on, as after a key press (a window used
  // only with the mouse may hide them).
  virtual void ShowFocus() = 0;
  // The folder list's highlighted row, which the arrow keys move and Enter
  // opens: the view's own, apart from the folder shown. -1: none.
  virtual int FolderHighlight() = 0;
  virtual void SetFolderHighlight(int row) = 0;
  // The drive list shown open, as its drop-down, with a highlighted row
  // apart from the drive shown (-1: none). Closing it changes no drive.
  virtual bool DriveListOpen() = 0;
  virtual void OpenDriveList(bool open) = 0;
  virtual int DriveHighlight() = 0;
  virtual void SetDriveHighlight(int row) = 0;
  // Runs work once the event being handled has returned (a queued call).
  virtual void Later(std::function<void()> work) = 0;
  // A game the pad started has ended: the launcher's window comes back to
  // the front with the focus where it was, so the pad works at once. Asked
  // once per game, never repeated: where the desktop refuses or has no such
  // request, nothing more happens; and a window the player chose meanwhile
  // (one that is neither the launcher's nor an ended program's) keeps the
  // front.
  virtual void ComeBack() = 0;

 protected:
  ~PadView() = default;
};

// One expiry of a platform timer. For the form's Timer1, the controller
// buttons the tick read move through the window when a view for them is
// given: the move is decided at the tick and carried out once the timer's
// event has returned, so that a message box it opens does not hold up the
// ticks (a toolkit may not run a timer again inside its own event).
void TimerExpired(Form1& form, Timer& timer, PadView* pad = nullptr);

// While Form_Load runs (its message boxes: the reset, an error), a view
// reads the controller on a timer of its own and calls this at each expiry:
// A or B closes a box of the launcher's, and nothing else happens. The
// timer's work (Esc, the 9 and 8 keys, the close combination) waits for the
// timer itself, which starts once the window shows.
void StartUpPad(Form1& form, PadView& pad);

// What the controller does with one action, at once (TimerExpired runs it
// once the timer's event has returned).
void PadAct(Form1& form, PadView& pad, PadAction action);

// The user's picks, each by index into the model's own list (never by the
// text a widget shows, which may not survive the trip: a folder name that is
// not UTF-8, two drives shown alike).
// File1: the user selected row index (click, arrow keys, Space); -1 none.
// Where the focus lands (Tab) is no selection and must not come here.
// input_waiting: the view holds more of the user's input already (the next
// repeat of a held arrow key). File1_Click runs all the same; only the
// cover's decoding waits, so a held key never queues covers: a later
// selection's cover replaces it, and the one left is decoded by the first
// PickFile without input waiting, or by ShowWaitingCover once the view has
// handed over what it held. The picture then is what it would be had every
// cover been decoded in turn.
void PickFile(Form1& form, int index, bool input_waiting = false);
// Whether a cover waits; a view that passed input_waiting calls
// ShowWaitingCover once it has no more input waiting.
bool CoverWaiting(const Form1& form);
void ShowWaitingCover(Form1& form);
// Dir1: the user opened an entry (double-click, Enter).
void OpenFolder(Form1& form, int index);
// Drive1: the user chose an entry.
void PickDrive(Form1& form, int index);
// Drive1: the user is opening the list; it is read again, so a drive
// attached since shows up. Nothing is touched but the drive table.
void DriveListOpening(Form1& form);
// Clicks and mouse moves.
void SelectOption(Form1& form, OptionButton& button);
void Click(Form1& form, CommandButton& button);
void Click(Form1& form, Image& image);
void MouseMove(Form1& form, CommandButton& button);
void MouseMove(Form1& form, Image& image);

// Focus. The controls that take the focus, from Tab and from the
// controller alike: the lists, the option buttons, the command button, and
// a picture that acts on a click (Donate), which is a button to the
// keyboard and to screen readers. Labels, frames and pictures that only
// show something never take it.
bool TakesFocus(const Control& control);
// Those controls in the order Tab moves through them: by TabIndex, then
// those without one (Donate) after all the rest, in the form's order.
std::vector<Control*> TabOrder(const Form1& form);

// Look.
// A label left in the face colour lets what lies under it show (the white
// of its frame, the window's picture); one with a colour of its own paints it.
bool DrawsTransparent(const Control& control);
// The hand pointer's hot spot: the tip of the index finger, in the pointer
// picture's pixels.
struct Point {
  int x, y;
};
inline constexpr Point kHandHotspot{10, 1};
// Where a picture of width x height goes in a box of box_width x
// box_height: scaled up or down to fit keeping its aspect ratio, nothing cut
// off, centred. A picture of the box's size fills it exactly.
struct Rect {
  int left, top, width, height;
};
Rect FitPicture(int width, int height, int box_width, int box_height);

}  // namespace tavro::view
