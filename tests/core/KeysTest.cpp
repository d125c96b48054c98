// The timer's rule (no tick before the window shows, none nested) and the
// three keys it polls: one action per press, in the order Esc, 9, 8.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "runtime/PathLiterals.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

constexpr int kDown = 0x8000;
constexpr int kPressed = 0x0001;

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    services.shell_windows = {{1, ShellWindow::kDesktop}, {2, ShellWindow::kTaskbar}};
    form.Settings().FileExe = "Cemu.exe";
  }
  // Runs one tick with these key states and returns what it did.
  std::vector<std::string> Tick(std::map<HotKey, int> states) {
    services.key_states = std::move(states);
    services.calls.clear();
    services.started.clear();
    form.Timer1_Timer();
    std::vector<std::string> did = services.started;
    for (const auto& call : services.calls) {
      if (call.starts_with("Show:"))
        did.push_back(call);
    }
    return did;
  }
  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
};

TEST_F(Keys, EachPressActsOnceWhateverTheTicksSee) {
  struct Case {
    const char* what;
    std::vector<int> states;  // the 9 key's state at each tick
    int toggles;
  };
  // kPressed: a press began since the last look (the platform leaves out a
  // held key's auto-repeat).
  const std::vector<Case> table = {
      {"a normal press seen on two ticks", {kDown | kPressed, kDown, 0}, 1},
      {"held for a second", {kDown | kPressed, kDown, kDown, kDown, kDown, kDown, kDown, 0}, 1},
      {"a tap between two ticks", {0, kPressed, 0}, 1},
      {"let go and tapped again before the next tick", {kDown | kPressed, kPressed, 0}, 2},
      {"let go and pressed again within one tick, still held",
       {kDown | kPressed, kDown | kPressed, 0},
       2},
      {"two presses", {kDown | kPressed, 0, kDown | kPressed, 0}, 2},
      {"held while the window opened", {kDown, kDown, 0}, 0},
      {"held while the window opened, then pressed", {kDown, 0, kDown | kPressed}, 1},
      {"nothing", {0, 0, 0}, 0},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    Form1 fresh{services};
    int toggles = 0;
    for (int state : c.states) {
      services.key_states = {{HotKey::kNine, state}};
      services.calls.clear();
      fresh.Timer1_Timer();
      for (const auto& call : services.calls)
        toggles += call == "Show:1:0" || call == "Show:1:5";
    }
    EXPECT_EQ(toggles, c.toggles);
  }
}

TEST_F(Keys, TheFirstPressHidesAndTheOrderIsEscNineEight) {
  EXPECT_EQ(Tick({{HotKey::kEscape, kDown | kPressed}, {HotKey::kNine, kDown | kPressed}, {HotKey::kEight, kDown | kPressed}}),
            (std::vector<std::string>{"kill|Cemu.exe", "Show:1:0", "Show:2:0"}));
  EXPECT_FALSE(services.shell_windows[0].enabled);  // the hidden desktop takes no input
  EXPECT_EQ(Tick({{HotKey::kEscape, kDown}, {HotKey::kNine, kDown}, {HotKey::kEight, kDown}}), std::vector<std::string>{});
  EXPECT_EQ(Tick({}), std::vector<std::string>{});
  EXPECT_EQ(Tick({{HotKey::kNine, kPressed}, {HotKey::kEight, kPressed}}),
            (std::vector<std::string>{"Show:1:5", "Show:2:5"}));
  EXPECT_TRUE(services.shell_windows[0].enabled);
  EXPECT_EQ(form.Desktop_Visible, true);
  EXPECT_EQ(form.WinBar_Visible, true);
}

TEST_F(Keys, EscWithoutAnEmulatorNameDoesNothing) {
  form.Settings().FileExe = "";
  EXPECT_EQ(Tick({{HotKey::kEscape, kDown | kPressed}}), std::vector<std::string>{});
}

TEST_F(Keys, EscEndsTheEmulatorsFileNameAloneAndNeverMoreThanOneImage) {
  const struct {
    const char* file_exe;
    std::vector<std::string> ended;
  } table[] = {
      {"Cemu.exe", {"kill|Cemu.exe"}},
      {"My Cemu.exe", {"kill|My Cemu.exe"}},
      {"cemu_2.0\\MyCemu2.exe", {"kill|MyCemu2.exe"}},
      {"cemu_2.0/MyCemu2.exe", {"kill|MyCemu2.exe"}},
      {"Cemu.exe\" /im \"explorer.exe", {}},
      {"*", {}},
      {"Cem?.exe", {}},
      {"a<b.exe", {}},
      {"a>b.exe", {}},
      {"a|b.exe", {}},
      {"cemu_2.0\\", {}},
      // The name Windows gives the file, which the emulator runs under.
      {"Cemu.exe.", {paths::kDriveLetters ? "kill|Cemu.exe" : "kill|Cemu.exe."}},
      {"Cemu.exe .", {paths::kDriveLetters ? "kill|Cemu.exe" : "kill|Cemu.exe ."}},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.file_exe);
    form.Settings().FileExe = c.file_exe;
    EXPECT_EQ(Tick({{HotKey::kEscape, kDown | kPressed}}), c.ended);
    // A game started here ends first, whatever FileExe says.
    services.games_running = 2;
    auto ended = c.ended;
    ended.insert(ended.begin(), "end|2");
    EXPECT_EQ(Tick({{HotKey::kEscape, kDown | kPressed}}), ended);
    EXPECT_TRUE(services.messages.empty());
  }
}

TEST_F(Keys, AnEscThatCannotEndAnythingStillLetsNineAndEightAct) {
  services.fail_starts = true;  // no taskkill
  services.key_states = {{HotKey::kEscape, kPressed}, {HotKey::kNine, kPressed}, {HotKey::kEight, kPressed}};
  try {
    form.Timer1_Timer();
    ADD_FAILURE() << "the failure of Esc was not reported";
  } catch (const RuntimeError& e) {
    EXPECT_STREQ(e.what(), "File not found: taskkill.exe");
  }
  EXPECT_FALSE(services.shell_windows[0].visible);
  EXPECT_FALSE(services.shell_windows[1].visible);
  EXPECT_EQ(form.Desktop_Visible, false);
}

TEST_F(Keys, EscEndsTheFlatpakApplicationWhereThePlatformRunsThem) {
  struct Case {
    std::string file_exe, flatpak;
    bool runs_flatpaks;
    std::vector<std::string> want;
  } const table[] = {
      {"Cemu.exe", "info.cemu.Cemu", true, {"flatpak kill|info.cemu.Cemu"}},
      {"", "info.cemu.Cemu", true, {"flatpak kill|info.cemu.Cemu"}},
      {"Cemu.exe", "", true, {"kill|Cemu.exe"}},
      // A platform without Flatpak (Windows) ignores the setting.
      {"Cemu.exe", "info.cemu.Cemu", false, {"kill|Cemu.exe"}},
      {"", "info.cemu.Cemu", false, {}},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.file_exe + " | " + c.flatpak);
    form.Settings().FileExe = c.file_exe;
    form.Settings().Flatpak = c.flatpak;
    services.runs_flatpaks = c.runs_flatpaks;
    EXPECT_EQ(Tick({{HotKey::kEscape, kDown | kPressed}}), c.want);
    Tick({});
  }
}

TEST(ControllerSettingsText, EveryFormReadsAsMeant) {
  const auto back_start = PadBits({PadButton::kBack, PadButton::kStart});
  struct Case {
    std::string combo, hold;
    std::uint32_t want_combo;
    int want_hold;
  };
  const std::vector<Case> table = {
      {"Back+Start", "1000", back_start, 1000},
      {" back + START ", " 250 ", back_start, 250},
      {"LeftShoulder+RightShoulder+A", "0",
       PadBits({PadButton::kLeftShoulder, PadButton::kRightShoulder, PadButton::kA}), 0},
      {"Guide", "60000", PadBits({PadButton::kGuide}), 60000},
      {"", "1000", 0, 1000},             // empty: off
      {"Back+Select", "1000", 0, 1000},  // an unknown name: off
      {"Select+Back", "1000", 0, 1000},  // whichever comes first
      {"Back+", "1000", 0, 1000},        // an empty name: off
      {"Back+Start", "soon", back_start, 1000},
      {"Back+Start", "-5", back_start, 1000},
      {"Back+Start", "1e3", back_start, 1000},
      {"Back+Start", "99999999999", back_start, 1000},
  };
  for (const auto& c : table) {
    const auto got = ParseControllerSettings(c.combo, c.hold);
    EXPECT_EQ(got.combo, c.want_combo) << "'" << c.combo << "'";
    EXPECT_EQ(got.hold_ms, c.want_hold) << "'" << c.hold << "'";
  }
}

TEST_F(Keys, AHeldCombinationEndsTheGameOncePerHold) {
  const auto both = PadBits({PadButton::kBack, PadButton::kStart});
  const auto back = PadBits({PadButton::kBack});
  struct Case {
    const char* what;
    std::vector<std::vector<std::uint32_t>> ticks;  // the controllers at each tick
    int kills;
  };
  const std::vector<std::vector<std::uint32_t>> held_1s(11, {both});
  auto then = [](std::vector<std::vector<std::uint32_t>> a,
                 const std::vector<std::vector<std::uint32_t>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<Case> table = {
      {"held shorter than a second", std::vector<std::vector<std::uint32_t>>(10, {both}), 0},
      {"held a second", held_1s, 1},
      {"still held", then(held_1s, std::vector<std::vector<std::uint32_t>>(30, {both})), 1},
      {"let go and held again", then(then(held_1s, {{}}), held_1s), 2},
      {"one button only", std::vector<std::vector<std::uint32_t>>(20, {back}), 0},
      {"the two buttons on two controllers",
       std::vector<std::vector<std::uint32_t>>(20, {back, PadBits({PadButton::kStart})}), 0},
      {"on the second controller, with more buttons",
       std::vector<std::vector<std::uint32_t>>(11, {0, both | PadBits({PadButton::kA})}), 1},
      {"no controller", std::vector<std::vector<std::uint32_t>>(20), 0},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    Form1 fresh{services};
    fresh.Settings().FileExe = "Cemu.exe";
    int kills = 0;
    for (const auto& pads : c.ticks) {
      services.controllers = pads;
      services.started.clear();
      fresh.Timer1_Timer();
      kills += static_cast<int>(services.started.size());
    }
    EXPECT_EQ(kills, c.kills);
  }
  // Off, or no emulator name: nothing at all.
  Form1 off{services};
  off.Settings().FileExe = "Cemu.exe";
  off.Controller().combo = 0;
  Form1 unnamed{services};
  services.controllers = {both};
  services.started.clear();
  for (int i = 0; i < 20; ++i) {
    off.Timer1_Timer();
    unnamed.Timer1_Timer();
  }
  EXPECT_TRUE(services.started.empty());
}

TEST(TimerRule, TicksOnlyOnceTheWindowShowsAndNeverNested) {
  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
  int ticks = 0;
  bool running_at_show = true;
  form.Timer1.Tick = [&] {
    ++ticks;
    services.MsgBox("tick", "Error");
  };
  // A message box runs a message loop of its own, where the timer fires on.
  services.on_message = [&](const test::FakeServices::Message&) {
    view::TimerExpired(form, form.Timer1);
  };
  view::TimerExpired(form, form.Timer1);  // before the load: nothing
  view::LoadAndShow(form, [&] {
    running_at_show = form.Timer1.Running();
    view::TimerExpired(form, form.Timer1);
  });
  EXPECT_FALSE(running_at_show);
  EXPECT_EQ(ticks, 0);
  EXPECT_TRUE(form.Timer1.Running());
  view::TimerExpired(form, form.Timer1);
  view::TimerExpired(form, form.Timer1);
  EXPECT_EQ(ticks, 2);
  view::Unload(form);
  EXPECT_FALSE(form.Timer1.Running());
  view::TimerExpired(form, form.Timer1);
  EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace tavro
