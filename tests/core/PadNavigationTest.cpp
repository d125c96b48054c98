// The game controller's rule, ticks of held buttons in and actions out, and
// what the actions do to the window over a view that keeps its state in
// plain fields.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "desktop/Controller.h"
#include "desktop/PadNavigation.h"
#include "donation/Module_Donate.h"
#include "runtime/PadStick.h"
#include "runtime/Text.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

// A tick per word: a button name of the settings file ("-": none; "~"
// before it: another window in front; "!" before it: a game runs).
// The actions that came, one letter each: U D < > A P B o (other), "." none.
std::string RunTicks(const std::string& words) {
  PadNavigation pad;
  const std::uint32_t combo = ParseControllerSettings("back+start", "").combo;
  std::string out;
  for (std::string word : text::Split(words, ' ')) {
    const bool behind = word.starts_with('~');
    const bool game = word.starts_with('!');
    word = word.substr(behind || game ? 1 : 0);
    std::uint32_t held = 0;
    for (const auto& name : text::Split(word, '+'))
      held |= name == "-" ? 0 : ParseControllerSettings(name, "").combo;
    pad.SetGameRunning(game);
    out += ".UD<>APBo"[static_cast<int>(pad.Tick({held}, !behind, combo, 100))];
  }
  return out;
}

TEST(PadRule, WhenAButtonActs) {
  const struct {
    const char* what;
    const char* ticks;
    const char* actions;
  } table[] = {
      {"a press acts once at the tick that sees it", "- a a a -", ".A..."},
      {"a held direction repeats at every tick after half a second",
       "- dpdown dpdown dpdown dpdown dpdown dpdown dpdown dpdown -", ".D....DDD."},
      {"only directions repeat", "- a a a a a a a a -", ".A........"},
      {"pressed on the tick the launcher comes to the front: waits for its release", "~- a a - a",
       "....A"},
      {"Start joined by another button does not play", "- start start+a - -", "....."},
      {"Start alone acts when let go", "- start start - -", "...P."},
      {"the close combination plays nothing", "- back+start start - -", "....."},
      {"while a game runs nothing acts; held as it ends, waits", "- !a !- !dpup dpup - b",
       "......B"},
      {"any other button is an action of its own kind", "- x -", ".o."},
  };
  for (const auto& row : table)
    EXPECT_EQ(RunTicks(row.ticks), row.actions) << row.what;
}

TEST(PadRule, TheStickEngagesPastHalfAndLetsGoBelowFortyPercent) {
  const std::uint32_t up = PadBits({PadButton::kStickUp});
  const struct {
    int y;
    std::uint32_t was, want;
  } table[] = {
      {16000, 0, 0},   {17000, 0, up}, {15000, up, up},
      {13500, up, up}, {13000, up, 0}, {-20000, up, PadBits({PadButton::kStickDown})},
  };
  for (const auto& row : table)
    EXPECT_EQ(StickBits(0, row.y, row.was), row.want) << row.y << " after " << row.was;
}

// The view's state as plain fields: the focus, the folder highlight and the
// drive list's drop-down.
class FakePadView final : public view::PadView {
 public:
  bool LauncherActive() override { return true; }
  bool MessageBoxOpen() override { return box; }
  void CloseMessageBox() override { box = false; }
  Control* FocusedControl() override { return focused; }
  void Focus(Control& control) override { focused = &control; }
  void ShowFocus() override {}
  int FolderHighlight() override { return folder; }
  void SetFolderHighlight(int row) override { folder = row; }
  bool DriveListOpen() override { return open; }
  void OpenDriveList(bool o) override { open = o; }
  int DriveHighlight() override { return open ? drive : -1; }
  void SetDriveHighlight(int row) override { drive = row; }
  void Later(std::function<void()> work) override { work(); }
  void ComeBack() override { ++come_backs; }

  int come_backs = 0;
  bool box = false, open = false;
  Control* focused = nullptr;
  int folder = -1, drive = -1;
};

class PadActions : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"c", "empty", "e"})
      std::filesystem::create_directories(app.Path() / d);
    test::WriteAll(app.Path() / "e" / "Game.wud", "");
    services.drives = {Drive("c"), Drive("empty"), Drive("e")};
    form.Drive1.SetDrives(services.drives);
    form.Drive1.SelectInitial(Drive("c"));
    form.Dir1.SetPath(Drive("c"));
    // The middle drive has no medium: it cannot be shown.
    std::filesystem::remove(app.Path() / "empty");
  }
  std::string Drive(const char* name) { return Utf8(app.Path() / name); }
  // The actions, one letter each as in PadRule; returns the drive shown, the
  // highlight, and "open" while the drop-down is.
  std::string Act(const std::string& letters) {
    for (const char c : letters) {
      const auto at = std::string(".UD<>APBo").find(c);
      view::PadAct(form, view, static_cast<PadAction>(at));
    }
    return Utf8(FsPath(form.Drive1.Drive()).filename()) + "|" + std::to_string(view.drive) +
           (view.open ? "|open" : "");
  }
  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
  FakePadView view;
};

TEST_F(PadActions, TheDriveListOpensAndEveryDriveIsReachedPastOneThatCannotBeShown) {
  Act("o");  // awake
  view.focused = &form.Drive1;
  const struct {
    const char* letters;
    const char* outcome;
  } steps[] = {
      {"D", "c|0|open"},   // opened, from a fresh read: nothing changes yet
      {"D", "c|1|open"},   // the highlight moves, the drive does not
      {"A", "c|1|open"},   // cannot be shown: falls back; the highlight stays
      {"DA", "e|2|open"},  // and the next step moves on past it
      {"D", "e|2|open"},   // the last entry stays the last
      {"B", "e|2"},        // closed unchanged
      {"DUB", "e|1"},      // closed unchanged, also with the highlight moved
      {"D>", "e|2"},       // right closes it and moves the focus on
  };
  for (const auto& step : steps)
    EXPECT_EQ(Act(step.letters), step.outcome) << step.letters;
  EXPECT_EQ(view.focused, &form.Dir1);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(PadActions, AOnAGamePlaysItAndBClosesABox) {
  Act("o");
  form.Settings().FileExe = "Cemu.exe";
  form.Dir1.SetPath(Drive("e"));
  view.focused = &form.File1;
  Act("D");
  Act("A");
  // Play Game ran for the selected game: no emulator in this folder says so.
  EXPECT_EQ(form.File1.FileName(), "Game.wud");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].title, "Alert!");
  view.box = true;
  Act("D");
  EXPECT_TRUE(view.box);  // nothing reaches the window behind a box
  Act("B");
  EXPECT_FALSE(view.box);
}

TEST_F(PadActions, DonateIsTheLastStopAndAPressesIt) {
  Act("o");
  view.focused = &form.Drive1;
  Act("<A");  // round the start to the last stop, which has no TabIndex
  EXPECT_EQ(view.focused, &form.Image12);
  EXPECT_EQ(services.started, std::vector<std::string>{"view|" + DonationPage(app.Utf8())});
}

TEST_F(PadActions, OnlyTheEndOfTheLastGameThePadStartedBringsTheLauncherBack) {
  Act("o");
  form.Settings().FileExe = "Emulator.exe";
  std::filesystem::create_directories(app.Path() / "Emulator");
  test::WriteAll(app.Path() / "Emulator" / "Emulator.exe", "");
  form.Dir1.SetPath(Drive("e"));
  form.File1.SetListIndex(0);
  view.focused = &form.File1;
  form.Timer1.Start();
  // Letters: A or P the pad plays, m the mouse plays (Play Game clicked),
  // e a game ends, t a tick; the calls to come back after each.
  const struct {
    const char* steps;
    const char* come_backs;
  } table[] = {
      {"Atett", "00011"},      // once, at the tick after the end
      {"mtet", "0000"},        // started with the mouse: left where it is
      {"Pmtetet", "0000001"},  // the pad's game ends first: back after the last
      {"mAtetet", "0000001"},  // the mouse's first: the pad started one all the same
      {"AtetAtet", "00011112"},
  };
  for (const auto& row : table) {
    view.come_backs = 0;
    std::string got;
    for (const char step : std::string(row.steps)) {
      if (step == 'm') {
        view::Click(form, form.Command1);
      } else if (step == 'e') {
        services.watchers.Tell(GameLife::kEnded, --services.games_running);
      } else if (step == 't') {
        view::TimerExpired(form, form.Timer1, &view);
      } else {
        view::PadAct(form, view, step == 'A' ? PadAction::kAccept : PadAction::kPlay);
      }
      got += std::to_string(view.come_backs);
    }
    EXPECT_EQ(got, row.come_backs) << row.steps;
    EXPECT_EQ(services.games_running, 0) << row.steps;
  }
  EXPECT_EQ(services.emulators.size(), 8u);
}

}  // namespace
}  // namespace tavro

namespace tavro {
namespace {

TEST_F(PadActions, BeforeTheWindowShowsTheControllerOnlyClosesTheStartUpBoxes) {
  // Esc and 9 held down all along: their work waits for the window's timer.
  services.key_states[HotKey::kEscape] = services.key_states[HotKey::kNine] =
      test::FakeServices::kKeyDown | test::FakeServices::kKeyPressed;
  const struct {
    const char* buttons;  // a tick each
    bool closed;
  } table[] = {
      {"- a -", true},      {"- b -", true},           {"- x - dpdown -", false},
      {"- start -", false}, {"- back+start -", false}, {"- a+x -", false},
  };
  for (const auto& row : table) {
    view.box = true;
    for (const auto& name : text::Split(row.buttons, ' ')) {
      services.controllers = {name == "-" ? 0u : ParseControllerSettings(name, "").combo};
      view::StartUpPad(form, view);
    }
    EXPECT_EQ(!view.box, row.closed) << row.buttons;
    services.controllers = {0};
    view::StartUpPad(form, view);
  }
  EXPECT_EQ(view.focused, nullptr);
  EXPECT_TRUE(form.Desktop_Visible);
  EXPECT_TRUE(services.started.empty());
  EXPECT_TRUE(form.Pad().Wake());  // the first press in the window is still to come
}

}  // namespace
}  // namespace tavro
