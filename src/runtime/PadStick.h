#pragma once
// The left stick read as four directions, the same way on every platform.

#include <cstdint>

#include "runtime/Runtime.h"

namespace tavro {

// x and y from -32768 to 32767, y positive upwards (XInput's sense; SDL's
// y grows downwards and is turned round by the caller). A direction engages
// only past half the stick's travel, well beyond what a worn stick shows at
// rest, and only when one axis clearly leads: a diagonal is no direction,
// so a stick moved round its edge never gives two at once. was: the
// direction the last read gave (0: none). Once engaged, it holds until the
// stick falls below 40% of its travel or turns to lead the other way, so a
// stick wavering round half travel does not step at every tick.
constexpr std::uint32_t StickBits(int x, int y, std::uint32_t was = 0) {
  constexpr long long kEngage = 16384;   // half travel
  constexpr long long kRelease = 13107;  // 40%
  const long long ax = x < 0 ? -static_cast<long long>(x) : x;
  const long long ay = y < 0 ? -static_cast<long long>(y) : y;
  const long long r2 = ax * ax + ay * ay;
  const std::uint32_t vertical = PadBits({y > 0 ? PadButton::kStickUp : PadButton::kStickDown});
  const std::uint32_t horizontal =
      PadBits({x > 0 ? PadButton::kStickRight : PadButton::kStickLeft});
  if (was != 0 && r2 > kRelease * kRelease) {
    // Held: kept while its axis still leads, in the same sense.
    if (was == vertical && ay >= ax)
      return was;
    if (was == horizontal && ax >= ay)
      return was;
  }
  if (r2 <= kEngage * kEngage)
    return 0;
  // The leading axis at least one and a half times the other: within
  // about 34 degrees of it.
  if (2 * ay >= 3 * ax)
    return vertical;
  if (2 * ax >= 3 * ay)
    return horizontal;
  return 0;
}

}  // namespace tavro
