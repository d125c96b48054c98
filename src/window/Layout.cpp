#include "window/Layout.h"

#include <array>
#include <cmath>

#include "runtime/MakerInfo.h"
#include "runtime/Runtime.h"

namespace tavro {

namespace {

using K = ControlKind;
using P = ResourcePicture;
constexpr auto kFace = color::kButtonFace;
constexpr auto kFaceText = color::kButtonText;
constexpr auto kWin = color::kWindow;
constexpr auto kWinText = color::kWindowText;

std::array<ControlDesign, 27> MakeTable() {
  static const std::string page = DonationPageText();
  // clang-format off
  return {{
    // kind, name, index, container, left, top, width, height, caption, tab, visible, value, picture, back, fore
    {K::kPictureBox, "Picture2", kNoIndex, kFormName, 360, 3600, 3015, 1695, "", 23, false, false, P::kLogo, kFace, kFaceText},
    {K::kTimer, "Timer1", kNoIndex, kFormName, 120, 120, 0, 0, "", kNoTabIndex, false, true, P::kNone, kFace, kFaceText, false, 100},
    {K::kTextBox, "Text1", kNoIndex, kFormName, 240, 6600, 12855, 1935, page.c_str(), 7, false, false, P::kNone, kWin, kWinText},
    {K::kPictureBox, "Picture1", kNoIndex, kFormName, 1590, 990, 3015, 1695, "", 4, true, false, P::kLogo, kFace, kFaceText},
    {K::kFrame, "Frame1", kNoIndex, kFormName, 6120, 120, 5775, 5535, "Games *.wud *.wux", 0, true, false, P::kNone, kFace, kFaceText},
    {K::kFrame, "Frame2", kNoIndex, "Frame1", 120, 4440, 1335, 975, "Display", 18, true, false, P::kNone, kFace, kFaceText},
    {K::kOptionButton, "Option1", 1, "Frame2", 120, 600, 255, 255, "Option1", 20, true, false, P::kNone, kFace, kFaceText},
    {K::kOptionButton, "Option1", 0, "Frame2", 120, 360, 255, 255, "Option1", 19, true, true, P::kNone, kFace, kFaceText},
    {K::kLabel, "Label4", kNoIndex, "Frame2", 360, 600, 855, 255, "FullScreen", 22, true, false, P::kNone, kFace, kFaceText},
    {K::kLabel, "Label3", kNoIndex, "Frame2", 360, 360, 855, 255, "Windowed", 21, true, false, P::kNone, kFace, kFaceText},
    {K::kFrame, "Frame17", kNoIndex, "Frame1", 2400, 4440, 1695, 975, "Special Keys", 14, true, false, P::kNone, kFace, kFaceText},
    {K::kLabel, "Label7", kNoIndex, "Frame17", 120, 680, 1815, 255, "(8) To Hide WinBar", 17, true, false, P::kNone, kWin, kWinText},
    {K::kLabel, "Label6", kNoIndex, "Frame17", 120, 460, 1815, 255, "(9) To Hide Desktop", 16, true, false, P::kNone, kWin, kWinText},
    {K::kLabel, "Label5", kNoIndex, "Frame17", 120, 240, 1815, 255, "(Esc) To Close Game", 15, true, false, P::kNone, kWin, kWinText},
    {K::kFrame, "Frame8", kNoIndex, "Frame1", 4200, 4440, 1455, 975, "Donate", 13, true, false, P::kNone, kFace, kFaceText},
    {K::kImage, "Image12", kNoIndex, "Frame8", 140, 240, 1350, 690, "", kNoTabIndex, true, false, P::kDonate, kFace, kFaceText, true},
    {K::kCommandButton, "Command1", kNoIndex, "Frame1", 1560, 4560, 735, 855, "Play Game", 12, true, false, P::kNone, kFace, kFaceText},
    {K::kOptionButton, "Option2", 1, "Frame1", 5040, 360, 255, 255, "Option2", 9, true, false, P::kNone, kFace, kFaceText},
    {K::kOptionButton, "Option2", 0, "Frame1", 3720, 360, 255, 255, "Option2", 8, true, true, P::kNone, kFace, kFaceText},
    {K::kFileListBox, "File1", kNoIndex, "Frame1", 120, 2520, 5535, 1845, "", 3, true, false, P::kNone, kWin, kWinText, false, 0, "*.wux;*.wud"},
    {K::kDirListBox, "Dir1", kNoIndex, "Frame1", 120, 720, 5535, 1665, "", 2, true, false, P::kNone, kWin, kWinText},
    {K::kDriveListBox, "Drive1", kNoIndex, "Frame1", 120, 360, 3495, 315, "", 1, true, false, P::kNone, kWin, kWinText},
    {K::kLabel, "Label2", kNoIndex, "Frame1", 3960, 360, 975, 255, "*.wud *.wux", 11, true, false, P::kNone, kFace, kFaceText},
    {K::kLabel, "Label1", kNoIndex, "Frame1", 5280, 360, 975, 255, "*.rpx", 10, true, false, P::kNone, kFace, kFaceText},
    {K::kImage, "Image1", kNoIndex, kFormName, 360, 2880, 480, 480, "", kNoTabIndex, false, false, P::kHand, kFace, kFaceText},
    {K::kLabel, "Label17", kNoIndex, kFormName, 3960, 5400, 1935, 255, maker::kEmail, 6, true, false, P::kNone, kFace, kFaceText},
    {K::kLabel, "Label8", kNoIndex, kFormName, 240, 5400, 2655, 255, maker::kWebPage, 5, true, false, P::kNone, kFace, kFaceText},
  }};
  // clang-format on
}

}  // namespace

const FormDesign& Form1Design() {
  static const FormDesign form{kFormName, "Tavro FrontEnd", 12030, 5790, P::kBackground, P::kIcon};
  return form;
}

std::span<const ControlDesign> Form1Controls() {
  static const auto table = MakeTable();
  return table;
}

const ControlDesign& Form1Control(std::string_view id) {
  for (const auto& row : Form1Controls()) {
    if (row.Id() == id)
      return row;
  }
  throw std::out_of_range("no control " + std::string(id));
}

std::string AccessibleName(const ControlDesign& control) {
  switch (control.kind) {
    case ControlKind::kDriveListBox:
      return "Drive";
    case ControlKind::kDirListBox:
      return "Folders";
    case ControlKind::kFileListBox:
      return "Games";
    case ControlKind::kImage:
      // The picture shows its words; the frame round it says them.
      if (std::string_view(control.container) != kFormName)
        return Form1Control(control.container).caption;
      return control.caption;
    case ControlKind::kOptionButton:
      break;
    default:
      return control.caption;
  }
  for (const auto& row : Form1Controls()) {
    if (row.kind == ControlKind::kLabel && std::string_view(row.container) == control.container &&
        row.top == control.top && row.left > control.left &&
        row.left <= control.left + control.width + 120) {
      return row.caption;
    }
  }
  return control.caption;
}

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

std::string DonationPageText() {
  const std::string host = maker::kProviderHost;
  const std::string images = maker::kProviderImageHost;
  std::string page;
  page +=
      "<form action=\"https://" + host + "/cgi-bin/webscr\" method=\"post\" target=\"_top\">\r\n";
  page += "<input type=\"hidden\" name=\"cmd\" value=\"_s-xclick\">\r\n";
  page += "<input type=\"hidden\" name=\"hosted_button_id\" value=\"" +
          std::string(maker::kButtonId) + "\">\r\n";
  page += "<input type=\"image\" src=\"https://" + images +
          "/en_US/i/btn/btn_donate_LG.gif\" border=\"0\" name=\"submit\" alt=\"" +
          std::string(maker::kImageAlt) + "\">\r\n";
  page += "<img alt=\"\" border=\"0\" src=\"https://" + images +
          "/pt_BR/i/scr/pixel.gif\" width=\"1\" height=\"1\">\r\n";
  page += "</form>\r\n";
  return page;
}

}  // namespace tavro
