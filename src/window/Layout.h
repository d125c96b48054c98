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

namespace tavro {

enum class ControlKind {
  kPictureBox,
  kTimer,
  kTextBox,
  kFrame,
  kOptionButton,
  kLabel,
  kImage,
  kCommandButton,
  kFileListBox,
  kDirListBox,
  kDriveListBox,
};

// Colours as the classic runtime stores them: 0x00BBGGRR, or a system colour
// 0x800000nn where nn is the Windows COLOR_ index (the view maps it).
namespace color {
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kSystem = 0x80000000;
constexpr std::uint32_t kWindow = kSystem | 5;       // COLOR_WINDOW
constexpr std::uint32_t kWindowText = kSystem | 8;   // COLOR_WINDOWTEXT
constexpr std::uint32_t kButtonFace = kSystem | 15;  // COLOR_BTNFACE
constexpr std::uint32_t kButtonText = kSystem | 18;  // COLOR_BTNTEXT
constexpr bool IsSystem(std::uint32_t c) {
  return (c & kSystem) != 0;
}
constexpr int SystemIndex(std::uint32_t c) {
  return static_cast<int>(c & 0xFF);
}
}  // namespace color

constexpr int kNoTabIndex = -1;
constexpr int kNoIndex = -1;
constexpr const char* kFormName = "Form1";

struct ControlDesign {
  ControlKind kind;
  const char* name;
  int index;  // kNoIndex unless a member of a control array
  const char* container;
  int left, top, width, height;  // twips
  const char* caption;           // caption, or the text of a text box
  int tab_index;                 // kNoTabIndex for controls that take no focus
  bool visible;
  bool value;  // selected (option buttons), enabled (timers)
  ResourcePicture picture;
  std::uint32_t back_color;
  std::uint32_t fore_color;
  bool stretch = false;
  int interval_ms = 0;
  const char* pattern = "";

  std::string Id() const;
  bool IsContainer() const { return kind == ControlKind::kFrame; }
};

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
// of the label placed just right of it (its own caption never shows), else
// its caption.
std::string AccessibleName(const ControlDesign& control);

// Twips to pixels at a given DPI (15 twips a pixel at 96 DPI), rounded.
int TwipsToPixels(int twips, int dpi);

// The donation page text held by Text1: six tag lines, each ending in CR LF.
std::string DonationPageText();

}  // namespace tavro
