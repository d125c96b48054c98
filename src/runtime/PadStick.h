#pragma once
// The left stick read as four directions, the same way on every platform.

#include <cstdint>

#include "runtime/Runtime.h"

namespace tavro {

// x and y from -32768 to 32767, y positive upwards (XInput's sense; SDL's
// y grows downwards and is turned round by the caller). A direction counts
// only past half the stick's travel, well beyond what a worn stick shows
// at rest, and only when one axis clearly leads: a diagonal is no
// direction, so a stick moved round its edge never gives two at once.
constexpr std::uint32_t StickBits(int x, int y) {
  constexpr long long kDeadZone = 16384;
  const long long ax = x < 0 ? -static_cast<long long>(x) : x;
  const long long ay = y < 0 ? -static_cast<long long>(y) : y;
  if (ax * ax + ay * ay <= kDeadZone * kDeadZone)
    return 0;
  // The leading axis at least one and a half times the other: within
  // about 34 degrees of it.
  if (2 * ay >= 3 * ax)
    return PadBits({y > 0 ? PadButton::kStickUp : PadButton::kStickDown});
  if (2 * ax >= 3 * ay)
    return PadBits({x > 0 ? PadButton::kStickRight : PadButton::kStickLeft});
  return 0;
}

}  // namespace tavro
