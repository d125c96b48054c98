// The drive, folder and file lists of the view over real folders, and the
// close of the window.

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "ViewFixture.h"
#include "runtime/Files.h"
#include "view/win32/FolderList.h"
#include "view/win32/Wide.h"

namespace tavro::win32ui::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> Items(HWND list) {
  std::vector<std::wstring> items;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    items.push_back(text);
  }
  return items;
}

int Selected(HWND list) {
  return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

// What a user's choice in a list sends the main window.
void Notify(HWND main, HWND control, int code) {
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

class ListViewTest : public ViewTest {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root = fs::path(temp) / (L"tavro-view-" + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(root);
    fs::create_directories(root / L"Alpha");
    fs::create_directories(root / L"Beta \u00fc\u4e2d");
    for (const wchar_t* name : {L"b.WUX", L"a.wud", L"notes.txt"}) {
      std::ofstream(root / name) << "x";
    }
    ViewTest::SetUp();
  }
  void TearDown() override {
    ViewTest::TearDown();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string Root() const { return Utf8(root); }
  int IndexOf(const std::string& path) const {
    const auto& list = form.Dir1.List();
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i].path == path)
        return static_cast<int>(i);
    }
    return -1;
  }

  fs::path root;
};

TEST_F(ListViewTest, TheFolderListShowsTheModelsEntriesIndentedAndOpensOnDoubleClickAndEnter) {
  form.Dir1.SetPath(Root());
  HWND dirs = Win("Dir1");
  const auto& list = form.Dir1.List();
  const auto items = Items(dirs);
  ASSERT_EQ(items.size(), list.size());
  // The names alone: the indent is drawn, with the icons.
  for (size_t i = 0; i < list.size(); ++i)
    EXPECT_EQ(items[i], Widen(list[i].name));
  EXPECT_EQ(Selected(dirs), form.Dir1.ListIndex());

  int changes = 0;
  form.Dir1.Change = [&changes] { ++changes; };
  // A click selects the entry and opens nothing; a double click opens it,
  // by its place in the model's list.
  const std::string alpha = Utf8(root / L"Alpha");
  RECT item{};
  SendMessageW(dirs, LB_GETITEMRECT, static_cast<WPARAM>(IndexOf(alpha)),
               reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
  SendMessageW(dirs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(dirs, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(form.Dir1.Path(), Root()) << "a click opens nothing";
  SendMessageW(dirs, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(dirs, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(form.Dir1.Path(), alpha);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Items(dirs).size(), form.Dir1.List().size());
  EXPECT_EQ(Selected(dirs), form.Dir1.ListIndex());

  // Enter on the list opens the selected entry: back up to the parent.
  SetFocus(dirs);
  SendMessageW(dirs, LB_SETCURSEL, static_cast<WPARAM>(IndexOf(Root())), 0);
  MSG enter{dirs, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(view.PreTranslate(enter));
  Pump(view);
  EXPECT_EQ(form.Dir1.Path(), Root());
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(IsWindow(Main())) << "Enter never closes the window";
}

TEST_F(ListViewTest, EachFolderIsDrawnBehindItsIconAtItsIndentOpenUpToTheFolderShown) {
  form.Dir1.SetPath(Root());
  HWND dirs = Win("Dir1");
  const auto& list = form.Dir1.List();
  const int shown = form.Dir1.ListIndex();
  ASSERT_GE(shown, 2) << "the temp folder has ancestors";
  ASSERT_EQ(list.size(), static_cast<size_t>(shown) + 3) << "Alpha and Beta below it";
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);

  for (const UINT dpi : {96u, 144u}) {
    MoveToDpi(dpi);
    const int icon = MulDiv(16, static_cast<int>(dpi), 96);
    RECT client{};
    GetClientRect(dirs, &client);
    // Each entry's icon block, as drawn.
    std::vector<std::vector<COLORREF>> blocks;
    for (size_t i = 0; i < list.size(); ++i) {
      SendMessageW(dirs, LB_SETTOPINDEX, i, 0);
      RedrawWindow(dirs, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      RECT item{};
      SendMessageW(dirs, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
      ASSERT_LE(item.bottom, client.bottom) << dpi << " dpi, entry " << i;
      ASSERT_GE(item.bottom - item.top, icon) << dpi << " dpi";
      const COLORREF back = static_cast<int>(i) == shown ? highlight : window;
      const int left = item.left + FolderIconLeft(list[i].depth, dpi);
      const int top = item.top + (item.bottom - item.top - icon) / 2;
      ASSERT_EQ(left - item.left, MulDiv(2 + 8 * list[i].depth, static_cast<int>(dpi), 96));

      HDC dc = GetDC(dirs);
      // Nothing in the indent, on every row of the entry.
      int drawn_in_indent = 0;
      for (int y = item.top; y < item.bottom; ++y) {
        for (int x = item.left; x < left; ++x)
          drawn_in_indent += GetPixel(dc, x, y) != back;
      }
      std::vector<COLORREF> block;
      int drawn = 0;
      for (int y = top; y < top + icon; ++y) {
        for (int x = left; x < left + icon; ++x) {
          block.push_back(GetPixel(dc, x, y));
          drawn += block.back() != back;
        }
      }
      ReleaseDC(dirs, dc);
      EXPECT_EQ(drawn_in_indent, 0) << dpi << " dpi, entry " << i;
      EXPECT_GT(drawn, icon * icon / 4) << dpi << " dpi, entry " << i << ": no icon there";
      blocks.push_back(block);
    }
    // The ancestors (not selected) show the open folder, the subfolders the
    // closed one, and the two differ.
    for (int i = 1; i < shown; ++i)
      EXPECT_EQ(blocks[static_cast<size_t>(i)], blocks[0]) << dpi << " dpi, entry " << i;
    const auto& closed = blocks[static_cast<size_t>(shown) + 1];
    EXPECT_EQ(blocks[static_cast<size_t>(shown) + 2], closed) << dpi << " dpi";
    EXPECT_NE(closed, blocks[0]) << dpi << " dpi";
  }
}

TEST_F(ListViewTest, AFolderThatCannotBeOpenedIsReportedAndTheListStaysOnTheShownFolder) {
  form.Dir1.SetPath(Root());
  HWND dirs = Win("Dir1");
  const std::string gone = Utf8(root / L"Beta \u00fc\u4e2d");
  const int index = IndexOf(gone);
  ASSERT_GE(index, 0);
  fs::remove_all(root / L"Beta \u00fc\u4e2d");
  SendMessageW(dirs, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Notify(Main(), dirs, LBN_DBLCLK);
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_EQ(services.boxes[0].title, "Error");
  EXPECT_EQ(form.Dir1.Path(), Root());
  EXPECT_EQ(Selected(dirs), form.Dir1.ListIndex());
  EXPECT_TRUE(IsWindow(Main()));
}

TEST_F(ListViewTest, TheFileListFollowsPathAndPatternAndReportsTheUsersChoice) {
  form.File1.SetPath(Root());
  HWND files = Win("File1");
  EXPECT_EQ(Items(files), (std::vector<std::wstring>{L"a.wud", L"b.WUX"}));
  EXPECT_EQ(Selected(files), -1);

  form.File1.SetPattern("*.txt");
  EXPECT_EQ(Items(files), (std::vector<std::wstring>{L"notes.txt"}));
}

TEST_F(ListViewTest, AGameIsSelectedByMouseOrKeysNeverByTheFocusArrivingOnTheList) {
  form.File1.SetPath(Root());
  HWND files = Win("File1");
  std::vector<std::string> clicked;
  form.File1.Click = [this, &clicked] { clicked.push_back(form.File1.FileName()); };

  // Tab from the folder list: the file list has the focus, nothing is
  // selected and no Click runs.
  SetFocus(Win("Dir1"));
  MSG tab{Win("Dir1"), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  ASSERT_TRUE(view.PreTranslate(tab));
  Pump(view);
  ASSERT_EQ(GetFocus(), files);
  EXPECT_TRUE(clicked.empty());
  EXPECT_EQ(form.File1.ListIndex(), -1);
  EXPECT_EQ(Selected(files), -1);

  // The arrow keys select, and each selection is a Click.
  SendMessageW(files, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(files, WM_KEYUP, VK_DOWN, 0);
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(form.File1.ListIndex(), Selected(files));
  EXPECT_EQ(clicked[0], form.File1.List()[static_cast<size_t>(Selected(files))]);
  SendMessageW(files, WM_KEYDOWN, VK_END, 0);
  ASSERT_EQ(clicked.size(), 2u);
  EXPECT_EQ(clicked[1], "b.WUX");

  // The mouse selects what it presses on.
  RECT item{};
  SendMessageW(files, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
  SendMessageW(files, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(files, WM_LBUTTONUP, 0, at);
  ASSERT_EQ(clicked.size(), 3u);
  EXPECT_EQ(clicked[2], "a.wud");
  EXPECT_EQ(form.File1.ListIndex(), 0);
}

TEST_F(ListViewTest, OpeningTheDriveListReadsTheDrivesAgain) {
  HWND combo = Win("Drive1");
  const auto before = form.Drive1.List();
  ASSERT_FALSE(before.empty());
  // A drive attached since the start.
  services.drives = before;
  services.drives.push_back("q:");
  const int reads = services.drive_reads;
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(services.drive_reads, reads + 1);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(before.size() + 1));
  wchar_t last[8] = {};
  SendMessageW(combo, CB_GETLBTEXT, before.size(), reinterpret_cast<LPARAM>(last));
  EXPECT_STREQ(last, L"q:");
  // The drive shown stays selected; nothing changed drive.
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), form.Drive1.ListIndex());
  EXPECT_EQ(form.Drive1.Drive(), before[static_cast<size_t>(form.Drive1.ListIndex())]);
}

TEST_F(ListViewTest, TheDriveListOffersTheModelsDrivesAndSetsTheChosenOne) {
  HWND combo = Win("Drive1");
  const auto& drives = form.Drive1.List();
  ASSERT_FALSE(drives.empty());
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(drives.size()));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), form.Drive1.ListIndex());
  if (drives.size() < 2)
    GTEST_SKIP() << "Wine offers one drive only";

  int changes = 0;
  form.Drive1.Change = [&changes] { ++changes; };
  const int other = form.Drive1.ListIndex() == 0 ? 1 : 0;
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(other), 0);
  Notify(Main(), combo, CBN_SELCHANGE);
  EXPECT_EQ(form.Drive1.ListIndex(), other);
  EXPECT_EQ(form.Drive1.Drive(), drives[static_cast<size_t>(other)]);
  EXPECT_EQ(changes, 1);
}

TEST_F(ViewTest, ClosingRunsFormUnloadAndAlwaysDestroysTheWindow) {
  HWND main = Main();
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil(view, [main] { return !IsWindow(main); }));
  // Form_Unload gives the desktop and the taskbar back.
  EXPECT_EQ(services.shell_requests,
            (std::vector<ShellWindow>{ShellWindow::kDesktop, ShellWindow::kTaskbar}));
  EXPECT_TRUE(services.boxes.empty());
}

TEST_F(ViewTest, TheSessionsEndRunsFormUnloadOnceAndOnlyWhenItReallyEnds) {
  HWND main = Main();
  // Asked whether the session may end: yes, and nothing is done yet (another
  // program may still refuse).
  EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(main, WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(services.shell_requests.empty());
  EXPECT_TRUE(IsWindow(main));

  SendMessageW(main, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(services.shell_requests,
            (std::vector<ShellWindow>{ShellWindow::kDesktop, ShellWindow::kTaskbar}));
  EXPECT_FALSE(IsWindow(main));
  // The timer stopped with the unload: no tick after the window's end.
  int ticks = 0;
  form.Timer1.Tick = [&ticks] { ++ticks; };
  Sleep(250);
  Pump(view);
  EXPECT_EQ(ticks, 0);
}

TEST_F(ViewTest, EscapeNeverClosesTheWindow) {
  SetFocus(Win("File1"));
  MSG escape{Win("File1"), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  view.PreTranslate(escape);
  Pump(view);
  EXPECT_TRUE(IsWindow(Main()));
  EXPECT_TRUE(services.shell_requests.empty());
}

}  // namespace
}  // namespace tavro::win32ui::test
