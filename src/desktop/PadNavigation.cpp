#include "desktop/PadNavigation.h"

#include <algorithm>

#include "runtime/Runtime.h"

namespace tavro {

namespace {

// The stick and the D-pad are one input: pushed together the same way they
// are one button held, not two.
std::uint32_t Fold(std::uint32_t bits) {
  constexpr std::pair<PadButton, PadButton> kSame[] = {
      {PadButton::kStickUp, PadButton::kDpadUp},
      {PadButton::kStickDown, PadButton::kDpadDown},
      {PadButton::kStickLeft, PadButton::kDpadLeft},
      {PadButton::kStickRight, PadButton::kDpadRight},
  };
  for (const auto& [stick, dpad] : kSame) {
    if (bits & PadBits({stick}))
      bits = (bits & ~PadBits({stick})) | PadBits({dpad});
  }
  return bits;
}

PadAction ActionOf(std::uint32_t button) {
  switch (static_cast<PadButton>(button)) {
    case PadButton::kDpadUp:
      return PadAction::kUp;
    case PadButton::kDpadDown:
      return PadAction::kDown;
    case PadButton::kDpadLeft:
    case PadButton::kLeftShoulder:
      return PadAction::kPrevious;
    case PadButton::kDpadRight:
    case PadButton::kRightShoulder:
      return PadAction::kNext;
    case PadButton::kA:
      return PadAction::kAccept;
    case PadButton::kStart:
      return PadAction::kPlay;
    case PadButton::kB:
      return PadAction::kUpFolder;
    default:
      return PadAction::kOther;
  }
}

constexpr std::uint32_t kDirections = PadBits(
    {PadButton::kDpadUp, PadButton::kDpadDown, PadButton::kDpadLeft, PadButton::kDpadRight});

bool OneBit(std::uint32_t bits) {
  return bits != 0 && (bits & (bits - 1)) == 0;
}

}  // namespace

PadAction PadNavigation::Tick(const std::vector<std::uint32_t>& controllers, bool active,
                              std::uint32_t combo, int tick_ms) {
  std::uint32_t raw = 0;
  for (const std::uint32_t buttons : controllers)
    raw |= buttons;
  const std::uint32_t held = Fold(raw);
  const std::uint32_t pressed = held & ~held_;
  held_ = held;

  // Only presses act, so whatever is held as the launcher comes to the
  // front waits for its release; the tick it comes to the front at cannot
  // tell a press from before.
  const bool now_active = active && !game_running_ && was_active_;
  was_active_ = active && !game_running_;
  // The combination is the close key's: nothing held with it acts.
  if (!now_active || (combo != 0 && (raw & combo) == combo)) {
    pending_ = repeating_ = 0;
    return PadAction::kNone;
  }

  if (pending_ != 0) {
    const std::uint32_t button = pending_;
    if (held == button)
      return PadAction::kNone;
    pending_ = 0;
    // Let go alone: it acts now. Joined by another button: never.
    if (held == 0)
      return ActionOf(button);
  }

  if (OneBit(pressed) && held == pressed) {
    if (pressed & Fold(combo)) {
      pending_ = pressed;
      return PadAction::kNone;
    }
    repeating_ = (pressed & kDirections) ? pressed : 0;
    repeat_ms_ = 0;
    return ActionOf(pressed);
  }

  if (repeating_ != 0 && held == repeating_ && pressed == 0) {
    // Capped: a direction held for weeks cannot run the count over.
    repeat_ms_ = std::min(repeat_ms_ + std::max(tick_ms, 0), kRepeatAfterMs);
    if (repeat_ms_ >= kRepeatAfterMs)
      return ActionOf(repeating_);
    return PadAction::kNone;
  }
  repeating_ = 0;
  return PadAction::kNone;
}

}  // namespace tavro
