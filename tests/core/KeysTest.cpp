// The timer's rule (no tick before the window shows, none nested) and the
// three keys it polls: one action per press, in the order Esc, 9, 8.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "FakeServices.h"
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
  std::vector<std::string> Tick(std::map<int, int> states) {
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
  const std::vector<Case> table = {
      {"a normal press seen on two ticks", {kDown | kPressed, kDown, 0}, 1},
      {"held for a second", {kDown | kPressed, kDown, kDown, kDown, kDown, kDown, kDown, 0}, 1},
      {"a tap between two ticks", {0, kPressed, 0}, 1},
      {"held, a new press bit while held (auto-repeat) is no new press",
       {kDown, kDown | kPressed, 0},
       1},
      {"let go and tapped again before the next tick", {kDown, kPressed, 0}, 2},
      {"two presses", {kDown | kPressed, 0, kDown | kPressed, 0}, 2},
      {"nothing", {0, 0, 0}, 0},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    Form1 fresh{services};
    int toggles = 0;
    for (int state : c.states) {
      services.key_states = {{57, state}};
      services.calls.clear();
      fresh.Timer1_Timer();
      for (const auto& call : services.calls)
        toggles += call == "Show:1:0" || call == "Show:1:5";
    }
    EXPECT_EQ(toggles, c.toggles);
  }
}

TEST_F(Keys, TheFirstPressHidesAndTheOrderIsEscNineEight) {
  EXPECT_EQ(Tick({{27, kDown}, {57, kDown}, {56, kDown}}),
            (std::vector<std::string>{"kill|Cemu.exe", "Show:1:0", "Show:2:0"}));
  EXPECT_FALSE(services.shell_windows[0].enabled);  // the hidden desktop takes no input
  EXPECT_EQ(Tick({{27, kDown}, {57, kDown}, {56, kDown}}), std::vector<std::string>{});
  EXPECT_EQ(Tick({}), std::vector<std::string>{});
  EXPECT_EQ(Tick({{57, kPressed}, {56, kPressed}}),
            (std::vector<std::string>{"Show:1:5", "Show:2:5"}));
  EXPECT_TRUE(services.shell_windows[0].enabled);
  EXPECT_EQ(form.Desktop_Visible, true);
  EXPECT_EQ(form.WinBar_Visible, kTrue);
  // The keypad's 9 and 8 (VK 105, 104) are other keys.
  EXPECT_EQ(Tick({{105, kDown}, {104, kDown}}), std::vector<std::string>{});
}

TEST_F(Keys, EscWithoutAnEmulatorNameDoesNothing) {
  form.Settings().FileExe = "";
  EXPECT_EQ(Tick({{27, kDown | kPressed}}), std::vector<std::string>{});
}

TEST(TimerRule, TicksOnlyOnceTheWindowShowsAndNeverNested) {
  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
  int ticks = 0;
  bool running_at_show = true;
  form.Timer1.Tick = [&] {
    ++ticks;
    services.MsgBox("tick", 0, "Error");
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
