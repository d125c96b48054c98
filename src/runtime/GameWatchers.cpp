#include "runtime/GameWatchers.h"

#include <utility>
#include <vector>

namespace tavro {

GameSubscription GameWatchers::Subscribe(GameListener listener) {
  const int id = next_id_++;
  listeners_->emplace(id, std::move(listener));
  return GameSubscription([weak = std::weak_ptr<Listeners>(listeners_), id] {
    if (const auto listeners = weak.lock())
      listeners->erase(id);
  });
}

void GameWatchers::Tell(GameLife life, int games_running) {
  // Those present now, each looked up again at its turn: a listener may
  // change the map while it is told.
  std::vector<int> ids;
  for (const auto& [id, listener] : *listeners_)
    ids.push_back(id);
  const auto keep = listeners_;
  for (const int id : ids) {
    const auto found = keep->find(id);
    if (found == keep->end())
      continue;
    // A copy: the listener may cancel itself while it runs.
    const GameListener listener = found->second;
    listener(life, games_running);
  }
}

}  // namespace tavro
