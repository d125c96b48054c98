// The Win32 view against the design-time table and the models, with real
// windows under Wine.

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "ViewFixture.h"
#include "donation/Module_Donate.h"
#include "runtime/Files.h"
#include "window/Layout.h"
#include "view/win32/Wide.h"
#include "view/win32/Win32Picture.h"
#include "window/Module_FormCollor.h"

namespace tavro::win32ui::test {
namespace {

bool Checked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH info{};
  GetObjectW(brush, sizeof(info), &info);
  return info.lbColor;
}

// The brush and text colour the main window answers for a control.
COLORREF AnsweredBackground(HWND main, HWND control, UINT message) {
  HDC dc = GetDC(control);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(main, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  ReleaseDC(control, dc);
  return BrushColor(brush);
}

TEST_F(ViewTest, TheWindowHasTheDesignedFixedClientAreaCaptionAndIcon) {
  ASSERT_EQ(view.Dpi(), 96u) << "the suite expects Wine's default 96 DPI";
  RECT client{};
  GetClientRect(Main(), &client);
  EXPECT_EQ(client.right, 802);
  EXPECT_EQ(client.bottom, 386);
  const LONG style = GetWindowLongW(Main(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(WindowText(Main()), L"Tavro FrontEnd");
  EXPECT_NE(GetClassLongPtrW(Main(), GCLP_HICON), 0u);
  EXPECT_NE(GetClassLongPtrW(Main(), GCLP_HICONSM), 0u);
}

TEST_F(ViewTest, EveryControlHasItsWindowAtItsDesignedPlaceAndVisibility) {
  const auto rows = Form1Controls();
  for (size_t i = 0; i < rows.size(); ++i) {
    const ControlDesign& row = rows[i];
    SCOPED_TRACE(row.Id());
    HWND window = Win(row.Id().c_str());
    if (row.kind == ControlKind::kTimer) {
      EXPECT_EQ(window, nullptr);
      continue;
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetDlgItem(Main(), kFirstControlId + static_cast<int>(i)), window);
    const RECT rect = RectInContainer(row);
    EXPECT_EQ(rect.left, TwipsToPixels(row.left, 96));
    EXPECT_EQ(rect.top, TwipsToPixels(row.top, 96));
    EXPECT_EQ(rect.right - rect.left, TwipsToPixels(row.width, 96));
    EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(row.height, 96));
    EXPECT_EQ(IsWindowVisible(window) != FALSE, row.visible);
  }
  for (const char* hidden : {"Picture2", "Image1", "Text1"}) {
    EXPECT_FALSE(IsWindowVisible(Win(hidden))) << hidden;
    EXPECT_FALSE(GetWindowLongW(Win(hidden), GWL_STYLE) & WS_TABSTOP) << hidden;
  }
}

TEST_F(ViewTest, ControlsBeyondTheirFrameAreCutOffAtItsEdge) {
  // "*.rpx" and the hotkey legend reach past their frames' right edges; the
  // part beyond is cut away, the rest stays.
  for (const char* id : {"Label1", "Label5"}) {
    SCOPED_TRACE(id);
    const ControlDesign& row = Form1Control(id);
    RECT frame{};
    GetWindowRect(Win(row.container), &frame);
    RECT label{};
    GetWindowRect(Win(id), &label);
    ASSERT_GT(label.right, frame.right);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(Win(id), region), SIMPLEREGION);
    RECT box{};
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, frame.right - label.left);
    EXPECT_EQ(box.bottom, label.bottom - label.top);
  }
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(Win("Label2"), region), ERROR) << "a label inside its frame is whole";
  DeleteObject(region);
}

TEST_F(ViewTest, CaptionsAndAccessibleNamesAreTheDesignedTexts) {
  for (const auto& row : Form1Controls()) {
    SCOPED_TRACE(row.Id());
    switch (row.kind) {
      case ControlKind::kFrame:
      case ControlKind::kLabel:
      case ControlKind::kCommandButton:
        EXPECT_EQ(win32::Utf8(WindowText(Win(row.Id().c_str()))), row.caption);
        break;
      case ControlKind::kOptionButton:
        EXPECT_EQ(win32::Utf8(WindowText(Win(row.Id().c_str()))), AccessibleName(row));
        break;
      default:
        break;
    }
  }
  EXPECT_EQ(WindowText(Win("Option1(0)")), L"Windowed");
  EXPECT_EQ(WindowText(Win("Option2(1)")), L"*.rpx");
  EXPECT_EQ(win32::Utf8(WindowText(Win("Text1"))), DonationPageText());

  form.Frame1.SetCaption("Games *.rpx");
  EXPECT_EQ(WindowText(Win("Frame1")), L"Games *.rpx");
}

TEST_F(ViewTest, OptionButtonsAreExclusiveWithinTheirGroupThroughTheUser) {
  EXPECT_TRUE(Checked(Win("Option1(0)")));
  EXPECT_FALSE(Checked(Win("Option1(1)")));
  EXPECT_TRUE(Checked(Win("Option2(0)")));
  EXPECT_FALSE(Checked(Win("Option2(1)")));

  SendMessageW(Win("Option1(1)"), BM_CLICK, 0, 0);
  EXPECT_TRUE(Checked(Win("Option1(1)")));
  EXPECT_FALSE(Checked(Win("Option1(0)")));
  EXPECT_TRUE(Checked(Win("Option2(0)")));
  EXPECT_TRUE(form.Option1[1].Value());
  EXPECT_FALSE(form.Option1[0].Value());

  int clicks = 0;
  form.Option2[1].Click = [&clicks] { ++clicks; };
  SendMessageW(Win("Option2(1)"), BM_CLICK, 0, 0);
  SendMessageW(Win("Option2(1)"), BM_CLICK, 0, 0);  // the selected one again: no event
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(Checked(Win("Option2(1)")));
  EXPECT_FALSE(Checked(Win("Option2(0)")));
  EXPECT_TRUE(Checked(Win("Option1(1)")));

  // The model's own selection reaches the buttons too.
  form.Option1[0].Select();
  EXPECT_TRUE(Checked(Win("Option1(0)")));
  EXPECT_FALSE(Checked(Win("Option1(1)")));
}

TEST_F(ViewTest, FramesAndOptionButtonsTurnWhiteWithApplyControlColors) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(face, RGB(255, 255, 255)) << "the check needs a face colour that is not white";
  EXPECT_EQ(PixelAt(Win("Frame2"), 4, 60), face);

  ApplyControlColors(form);
  for (const char* frame : {"Frame1", "Frame2", "Frame8", "Frame17"}) {
    EXPECT_EQ(AnsweredBackground(Main(), Win(frame), WM_CTLCOLORSTATIC), RGB(255, 255, 255))
        << frame;
  }
  for (const char* option : {"Option1(0)", "Option1(1)", "Option2(0)", "Option2(1)"}) {
    EXPECT_EQ(AnsweredBackground(Main(), Win(option), WM_CTLCOLORSTATIC), RGB(255, 255, 255))
        << option;
  }
  // What the screen shows: inside a frame, below its caption, and a button's
  // corner away from its mark.
  EXPECT_EQ(PixelAt(Win("Frame2"), 4, 60), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Win("Frame1"), 380, 200), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(Win("Option2(0)"), 16, 16), RGB(255, 255, 255));
  // The hotkey legend keeps the system's window colours.
  EXPECT_EQ(AnsweredBackground(Main(), Win("Label5"), WM_CTLCOLORSTATIC),
            GetSysColor(COLOR_WINDOW));
}

TEST_F(ViewTest, AMoveToA144DpiScreenScalesTheClientAreaAndEveryControl) {
  MoveToDpi(144);
  RECT client{};
  GetClientRect(Main(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(12030, 144));
  EXPECT_EQ(client.bottom, TwipsToPixels(5790, 144));
  for (const auto& row : Form1Controls()) {
    if (row.kind == ControlKind::kTimer)
      continue;
    SCOPED_TRACE(row.Id());
    const RECT rect = RectInContainer(row);
    EXPECT_EQ(rect.left, row.left / 10);
    EXPECT_EQ(rect.top, row.top / 10);
    EXPECT_EQ(rect.right - rect.left, TwipsToPixels(row.width, 144));
    EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(row.height, 144));
  }
}

TEST_F(ViewTest, TheHandPointerAppearsOverCommand1AndImage12AfterTheFirstMove) {
  HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  const LPARAM over = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  for (const char* id : {"Command1", "Image12"}) {
    SCOPED_TRACE(id);
    HWND window = Win(id);
    EXPECT_FALSE(SendMessageW(Main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window), over));

    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(form.Find(id)->MousePointer(), kPointerCustom);
    EXPECT_EQ(form.Find(id)->MouseIcon(), form.Image1.Picture());

    SetCursor(arrow);
    EXPECT_TRUE(SendMessageW(Main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window), over));
    HCURSOR hand = GetCursor();
    ASSERT_NE(hand, nullptr);
    EXPECT_NE(hand, arrow);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 10u);
    EXPECT_EQ(info.yHotspot, 1u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
      DeleteObject(info.hbmColor);
  }
  // Elsewhere the control's own pointer stays.
  EXPECT_FALSE(
      SendMessageW(Main(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Win("Option1(0)")), over));
}

std::vector<std::string> TabSequence(HWND main, const Form1& form, HWND start) {
  std::vector<std::string> seen;
  HWND at = start;
  do {
    seen.push_back(form.Controls()[static_cast<size_t>(GetDlgCtrlID(at) - kFirstControlId)]->Id());
    at = GetNextDlgTabItem(main, at, FALSE);
  } while (at != nullptr && at != start && seen.size() < 40);
  return seen;
}

TEST_F(ViewTest, TabMovesThroughTheFocusableControlsByTabIndex) {
  // By TabIndex; a group of option buttons is one stop, its selected button.
  std::vector<const ControlDesign*> expected;
  for (const auto& row : Form1Controls()) {
    const bool unselected_option = row.kind == ControlKind::kOptionButton && !row.value;
    if (row.visible && !unselected_option &&
        (row.kind == ControlKind::kOptionButton || row.kind == ControlKind::kCommandButton ||
         row.kind == ControlKind::kFileListBox || row.kind == ControlKind::kDirListBox ||
         row.kind == ControlKind::kDriveListBox)) {
      expected.push_back(&row);
    }
  }
  std::sort(expected.begin(), expected.end(),
            [](const auto* a, const auto* b) { return a->tab_index < b->tab_index; });
  std::vector<std::string> want;
  for (const auto* row : expected)
    want.push_back(row->Id());
  want.push_back("Image12");  // Donate, which has no TabIndex, last
  ASSERT_EQ(want, (std::vector<std::string>{"Drive1", "Dir1", "File1", "Option2(0)", "Command1",
                                            "Option1(0)", "Image12"}));
  EXPECT_EQ(TabSequence(Main(), form, Win("Drive1")), want);

  // Selecting the other button of a group moves the group's stop to it.
  SendMessageW(Win("Option2(1)"), BM_CLICK, 0, 0);
  want[3] = "Option2(1)";
  EXPECT_EQ(TabSequence(Main(), form, Win("Drive1")), want);

  // The Tab key itself goes through the message loop's dialog handling.
  SetFocus(Win("Drive1"));
  MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(view.PreTranslate(tab));
  EXPECT_EQ(GetFocus(), Win("Dir1"));
}

TEST_F(ViewTest, DonateIsAButtonNamedDonateThatTabReachesAndSpaceAndEnterPress) {
  HWND donate = Win("Image12");
  wchar_t name[16] = {};
  GetClassNameW(donate, name, 16);
  EXPECT_EQ(std::wstring(name) + L" " + WindowText(donate), L"Button Donate");
  EXPECT_EQ(GetWindowLongW(donate, GWL_STYLE) & (WS_TABSTOP | BS_TYPEMASK),
            WS_TABSTOP | BS_OWNERDRAW);
  // Space as the button's own keys take it, then Enter through the dialog
  // keys: each writes the page and hands it to the viewer, as a click does.
  const std::string page = DonationPage(services.AppFolder());
  std::filesystem::remove(FsPath(page));
  SetFocus(donate);
  SendMessageW(donate, WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageW(donate, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001));
  EXPECT_EQ(ReadOrdinaryFile(page, 1 << 16), DonationPageText() + "\r\n");
  MSG enter{donate, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(view.PreTranslate(enter));
  EXPECT_EQ(services.viewed, (std::vector<std::string>{page, page}));
  std::filesystem::remove(FsPath(page));
}

TEST_F(ViewTest, AnErrorEscapingAHandlerIsShownTitledErrorAndTheWindowLivesOn) {
  int runs = 0;
  form.Command1.Click = [&runs] {
    ++runs;
    throw RuntimeError(err::kPathNotFound, "Path not found");
  };
  SendMessageW(Win("Command1"), BM_CLICK, 0, 0);
  SendMessageW(Win("Command1"), BM_CLICK, 0, 0);
  EXPECT_EQ(runs, 2);
  ASSERT_EQ(services.boxes.size(), 2u);
  EXPECT_EQ(services.boxes[0].title, "Error");
  EXPECT_EQ(services.boxes[0].prompt, "Path not found");
  EXPECT_TRUE(IsWindow(Main()));
  EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_F(ViewTest, Timer1TicksWhilePumpingAndGoesOnAfterAnError) {
  int ticks = 0;
  form.Timer1.Tick = [&ticks] { ++ticks; };
  EXPECT_TRUE(PumpUntil(view, [&ticks] { return ticks >= 2; })) << "Timer1 never ticked";

  // A tick that throws is reported and the timer goes on.
  form.Timer1.Tick = [&ticks] {
    ++ticks;
    throw RuntimeError(5, "tick failed");
  };
  const int before = ticks;
  EXPECT_TRUE(PumpUntil(view, [&] { return ticks >= before + 2; }));
  ASSERT_GE(services.boxes.size(), 2u);
  EXPECT_EQ(services.boxes.front().title, "Error");
}

}  // namespace
}  // namespace tavro::win32ui::test
