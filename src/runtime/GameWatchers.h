#pragma once
// The listeners to the launcher's games, kept once for every platform: each
// platform's Processes keeps one and tells it of each start and end.

#include <algorithm>
#include <map>
#include <memory>

#include "runtime/Runtime.h"

namespace tavro {

class GameWatchers final {
 public:
  GameWatchers() = default;
  GameWatchers(const GameWatchers&) = delete;
  GameWatchers& operator=(const GameWatchers&) = delete;

  // The listener is told until the subscription goes; a subscription that
  // outlives these watchers cancels nothing.
  GameSubscription Subscribe(GameListener listener);
  // Tells every listener. A listener may subscribe or cancel (its own or
  // another's) while it is told: one cancelled before its turn is not told,
  // one added is told from the next time on.
  void Tell(GameLife life, int games_running);
  // Drops every game of games for which ended(game) holds, telling the
  // listeners once for each; true while a game still runs. The list is
  // searched afresh after each telling, which may have started another.
  template <typename Games, typename Ended>
  bool DropEnded(Games& games, Ended ended) {
    for (auto it = std::find_if(games.begin(), games.end(), ended); it != games.end();
         it = std::find_if(games.begin(), games.end(), ended)) {
      games.erase(it);
      Tell(GameLife::kEnded, static_cast<int>(games.size()));
    }
    return !games.empty();
  }

 private:
  using Listeners = std::map<int, GameListener>;
  std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
  int next_id_ = 0;
};

}  // namespace tavro
