#include "runtime/LocalTime.h"

#include <chrono>
#include <ctime>

namespace tavro {

std::optional<std::int32_t> LocalDayOf(std::int64_t unix_seconds) {
  const auto seconds = static_cast<std::time_t>(unix_seconds);
  if (static_cast<std::int64_t>(seconds) != unix_seconds)
    return std::nullopt;
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr)
    return std::nullopt;
  using namespace std::chrono;
  const year_month_day day{year(local.tm_year + 1900),
                           month(static_cast<unsigned>(local.tm_mon + 1)),
                           std::chrono::day(static_cast<unsigned>(local.tm_mday))};
  if (!day.ok())
    return std::nullopt;
  return static_cast<std::int32_t>(sys_days(day).time_since_epoch().count());
}

}  // namespace tavro
