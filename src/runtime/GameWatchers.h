#pragma once
// The listeners to the launcher's games, kept once for every platform: each
// platform's Processes keeps one and tells it of each start and end.

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

 private:
  using Listeners = std::map<int, GameListener>;
  std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
  int next_id_ = 0;
};

}  // namespace tavro
