#include "runtime/LocalTime.h"

#include <ctime>

namespace tavro {

std::optional<std::int32_t> LocalDayOf(std::int64_t unix_seconds) {
  const auto seconds = static_cast<std::time_t>(unix_seconds);
  if (static_cast<std::int64_t>(seconds) != unix_seconds)
    return std::nullopt;
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr)
    return std::nullopt;
  return DayOfDate(local);
}

}  // namespace tavro
