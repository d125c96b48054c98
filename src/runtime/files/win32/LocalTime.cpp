#include "runtime/LocalTime.h"

#include <ctime>

namespace tavro {

std::optional<std::int32_t> LocalDayOf(std::int64_t unix_seconds) {
  const auto seconds = static_cast<__time64_t>(unix_seconds);
  std::tm local{};
  // Fails (EINVAL) for times before 1970 or after the year 3000.
  if (_localtime64_s(&local, &seconds) != 0)
    return std::nullopt;
  return DayOfDate(local);
}

}  // namespace tavro
