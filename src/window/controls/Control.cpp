#include "window/controls/Control.h"

namespace tavro {

void OptionButton::Select() {
  if (value_)
    return;
  for (auto* other : group_) {
    if (other != this)
      other->SetSelected(false);
  }
  SetSelected(true);
  if (Click)
    Click();
}

void Timer::Fire(const std::function<void(const std::function<void()>&)>& run) {
  if (!Running() || in_tick_ || !Tick)
    return;
  in_tick_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{in_tick_};
  // A copy: the handler may replace the event it was started from.
  const std::function<void()> tick = Tick;
  run(tick);
}

}  // namespace tavro
