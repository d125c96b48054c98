#pragma once
// What both views do the same way, decided once. A view creates native
// widgets, mirrors the controls' state into them and turns native events into
// the calls below; it holds no policy of its own.

#include <functional>

#include "window/Form1.h"

namespace tavro::view {

// Start-up: Form_Load (which may show message boxes or end the program),
// then show() puts the window on screen, then the timer starts. No tick
// comes before the window shows.
void LoadAndShow(Form1& form, const std::function<void()>& show);

// The window closes: the timer stops, then Form_Unload runs. The close is
// never refused.
void Unload(Form1& form);

// One expiry of a platform timer.
void TimerExpired(Form1& form, Timer& timer);

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
