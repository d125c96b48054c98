#pragma once
// Calendar days in the user's own time zone.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>

namespace tavro {

// The day, counted from 1970-01-01, on which the Unix time unix_seconds
// falls in local time; none when the system cannot turn it into a date.
// Safe to call from any thread.
std::optional<std::int32_t> LocalDayOf(std::int64_t unix_seconds);

// The day, counted from 1970-01-01, of a date the system broke a time into;
// none for a date that is no day. Each platform's LocalDayOf ends here.
inline std::optional<std::int32_t> DayOfDate(const std::tm& date) {
  using namespace std::chrono;
  const year_month_day day{year(date.tm_year + 1900), month(static_cast<unsigned>(date.tm_mon + 1)),
                           std::chrono::day(static_cast<unsigned>(date.tm_mday))};
  if (!day.ok())
    return std::nullopt;
  return static_cast<std::int32_t>(sys_days(day).time_since_epoch().count());
}

}  // namespace tavro
