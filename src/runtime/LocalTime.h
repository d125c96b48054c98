#pragma once
// Calendar days in the user's own time zone.

#include <cstdint>
#include <optional>

namespace tavro {

// The day, counted from 1970-01-01, on which the Unix time unix_seconds
// falls in local time; none when the system cannot turn it into a date.
// Safe to call from any thread.
std::optional<std::int32_t> LocalDayOf(std::int64_t unix_seconds);

}  // namespace tavro
