#pragma once
// The window as designed: the form and its 27 control instances, in creation
// order. Positions are in twips from the top-left corner of the container.
// Both views build their widgets from this table and the tests check them
// against it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "runtime/Runtime.h"
#include "window/controls/ControlDesign.h"

namespace tavro {

constexpr const char* kFormName = "Form1";

struct FormDesign {
  const char* name;
  const char* caption;
  int client_width, client_height;  // twips
  ResourcePicture picture;
  ResourcePicture icon;
};

const FormDesign& Form1Design();
// The 27 control instances, in creation order (containers first).
std::span<const ControlDesign> Form1Controls();
// The row of a control by its Id ("Frame1", "Option2(1)"); throws when absent.
const ControlDesign& Form1Control(std::string_view id);

// The text a screen reader gives a control: for an option button the caption
// of the label placed just right of it (its own caption never shows); for a
// list what it holds ("Drive", "Folders", "Games"), never the entry it
// shows; for a picture in a frame the frame's caption ("Donate"); else its
// caption.
std::string AccessibleName(const ControlDesign& control);

// Twips to pixels at a given DPI (15 twips a pixel at 96 DPI), rounded.
int TwipsToPixels(int twips, int dpi);

// The donation page text held by Text1: six tag lines, each ending in CR LF.
std::string DonationPageText();

}  // namespace tavro
