#pragma once
// The file list with the player's records: owner-drawn, keeping each row's
// whole text as its string (LBS_HASSTRINGS), so LB_GETTEXT, type-ahead and
// screen readers get "name<TAB>time<TAB>day". A row with tabs is drawn in
// columns lined up across the rows, its name cut with an ellipsis where
// they begin; a row without is its text alone.

#include <windows.h>

#include "window/controls/ListBoxes.h"

namespace tavro::win32ui {

// The widths of the time and day columns: the widest text of each among
// the rows, in font.
struct GameRowColumns {
  int time = 0;
  int day = 0;
};
GameRowColumns MeasureGameRowColumns(const FileListBox& model, HFONT font);

// The height of one row: a line of the list's font, as the list's own rows.
int GameRowHeight(HFONT font);

// Draws the row the list asks for (WM_DRAWITEM) in the control's colours
// (highlight colours when selected), with a focus rectangle when the list
// shows one.
void DrawGameRow(const DRAWITEMSTRUCT& item, const FileListBox& model,
                 const GameRowColumns& columns);

}  // namespace tavro::win32ui
