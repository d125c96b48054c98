#pragma once
// A game controller ends the game as Esc does: a button combination held on
// one controller for a moment. The rule lives here; the platforms only say
// which buttons are down (Keys::ControllerButtons).

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Runtime.h"

namespace tavro {

// The settings file's [Controller] entries, as read: the buttons to hold
// together (none: the feature is off) and for how long.
struct ControllerSettings {
  std::uint32_t combo = PadBits({PadButton::kBack, PadButton::kStart});
  int hold_ms = 1000;
};

// "Back+Start" and "1000" as the settings file gives them. Button names are
// those of the standard controller layout (a, b, x, y, back, guide, start,
// leftstick, rightstick, leftshoulder, rightshoulder, dpup, dpdown, dpleft,
// dpright), without regard to case, joined by "+". An empty or unknown name
// turns the feature off; a HoldMs that is no whole number from 0 to 60000
// reads as 1000.
ControllerSettings ParseControllerSettings(const std::string& combo, const std::string& hold_ms);

// Watches the combination across the timer's ticks: true once per hold, on
// the tick at which it has been held on one controller for hold_ms; nothing
// more until it is let go.
class CloseComboWatch {
 public:
  bool Tick(const std::vector<std::uint32_t>& controllers, const ControllerSettings& settings,
            int tick_ms);

 private:
  bool holding_ = false;       // held at the last tick
  std::uint32_t held_ms_ = 0;  // since when, up to the hold time
  bool fired_ = false;
};

}  // namespace tavro
