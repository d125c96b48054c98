// The listeners to the launcher's games: told in order, each once, and a
// listener gone (even while the others are told) hears nothing more.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "runtime/GameWatchers.h"
#include "window/Form1.h"

namespace tavro {
namespace {

TEST(GameWatchers, TellsEachListenerPresentAndNoneCancelled) {
  GameWatchers watchers;
  std::vector<std::string> told;
  std::optional<GameSubscription> second;
  auto first = watchers.Subscribe([&](GameLife life, int running) {
    told.push_back("first " + std::to_string(static_cast<int>(life)) + " " +
                   std::to_string(running));
    // Cancels the second before its turn.
    if (life == GameLife::kEnded)
      second.reset();
  });
  second = watchers.Subscribe(
      [&](GameLife, int running) { told.push_back("second " + std::to_string(running)); });
  watchers.Tell(GameLife::kStarted, 1);
  watchers.Tell(GameLife::kEnded, 0);
  first = GameSubscription();
  watchers.Tell(GameLife::kStarted, 1);
  EXPECT_EQ(told, (std::vector<std::string>{"first 0 1", "second 1", "first 1 0"}));
}

TEST(GameWatchers, AMovedSubscriptionKeepsListeningUntilItGoes) {
  GameWatchers watchers;
  int told = 0;
  GameSubscription moved;
  {
    auto subscription = watchers.Subscribe([&told](GameLife, int) { ++told; });
    moved = std::move(subscription);
  }
  watchers.Tell(GameLife::kStarted, 1);
  EXPECT_EQ(told, 1);
  moved = GameSubscription();
  watchers.Tell(GameLife::kEnded, 0);
  EXPECT_EQ(told, 1);
}

TEST(GameWatchers, EveryTickAsksWhetherAGameRuns) {
  test::TempDir dir;
  test::FakeServices services(dir.Utf8());
  Form1 form{services};
  for (int tick = 1; tick <= 3; ++tick) {
    form.Timer1_Timer();
    EXPECT_EQ(services.game_polls, tick);
  }
}

}  // namespace
}  // namespace tavro
