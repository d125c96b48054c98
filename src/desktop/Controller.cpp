#include "desktop/Controller.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "runtime/Text.h"

namespace tavro {

namespace {

constexpr std::array<std::pair<std::string_view, PadButton>, 15> kNames = {{
    {"a", PadButton::kA},
    {"b", PadButton::kB},
    {"x", PadButton::kX},
    {"y", PadButton::kY},
    {"back", PadButton::kBack},
    {"guide", PadButton::kGuide},
    {"start", PadButton::kStart},
    {"leftstick", PadButton::kLeftStick},
    {"rightstick", PadButton::kRightStick},
    {"leftshoulder", PadButton::kLeftShoulder},
    {"rightshoulder", PadButton::kRightShoulder},
    {"dpup", PadButton::kDpadUp},
    {"dpdown", PadButton::kDpadDown},
    {"dpleft", PadButton::kDpadLeft},
    {"dpright", PadButton::kDpadRight},
}};

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

ControllerSettings ParseControllerSettings(const std::string& combo, const std::string& hold_ms) {
  ControllerSettings out;
  out.combo = 0;
  for (const auto& part : text::Split(combo, '+')) {
    const std::string name = text::ToLowerAscii(TrimBlanks(part));
    std::uint32_t bit = 0;
    for (const auto& [known, button] : kNames) {
      if (name == known)
        bit = PadBits({button});
    }
    if (bit == 0) {
      out.combo = 0;  // an empty or unknown name: off
      break;
    }
    out.combo |= bit;
  }
  const std::string_view ms = TrimBlanks(hold_ms);
  int value = 0;
  const auto [end, ec] = std::from_chars(ms.data(), ms.data() + ms.size(), value);
  out.hold_ms = (ec == std::errc() && end == ms.data() + ms.size() && value >= 0 && value <= 60000)
                    ? value
                    : 1000;
  return out;
}

bool CloseComboWatch::Tick(const std::vector<std::uint32_t>& controllers,
                           const ControllerSettings& settings, int tick_ms) {
  bool held = false;
  for (const std::uint32_t buttons : controllers)
    held = held || (settings.combo != 0 && (buttons & settings.combo) == settings.combo);
  if (!held) {
    holding_ = false;
    fired_ = false;
    return false;
  }
  // The first tick that sees it counts as its start. The count stops at the
  // hold time, so a button stuck for weeks cannot run it over.
  const auto hold = static_cast<std::uint32_t>(std::max(settings.hold_ms, 0));
  const auto tick = static_cast<std::uint32_t>(std::max(tick_ms, 0));
  held_ms_ = holding_ ? std::min(held_ms_ + std::min(tick, hold), hold) : 0;
  holding_ = true;
  if (fired_ || held_ms_ < hold)
    return false;
  fired_ = true;
  return true;
}

}  // namespace tavro
