#pragma once
// What a control is made from: its kind, place, caption and colours as the
// form's design gives them. The control models are built from these rows;
// the form's own table of them is window/Layout.h.

#include <cstdint>
#include <string>

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

}  // namespace tavro
