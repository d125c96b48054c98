// The emulator's play statistics from anyone: never a crash; only a file of
// the table's size gives entries, never more than the table holds, and the
// statistics' days always print.

#include <algorithm>
#include <string>

#include "FuzzCheck.h"
#include "titles/PlayRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  using namespace tavro::titles;
  // Short inputs stand for a whole table: the rest is zero.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const std::string& table :
       {bytes, bytes.substr(0, kPlayStatsBytes) +
                   std::string(kPlayStatsBytes - std::min(size, kPlayStatsBytes), '\0')}) {
    const auto stats = ReadPlayStats(table);
    FUZZ_CHECK(stats.size() <= kPlayStatsEntries);
    FUZZ_CHECK(table.size() == kPlayStatsBytes || stats.empty());
    const PlayRecords records({}, stats, [](std::int64_t) { return std::nullopt; });
    for (const auto& stat : stats) {
      const PlayRecord* record = records.Find(stat.title_id);
      FUZZ_CHECK((stat.title_id == 0) == (record == nullptr));
      FUZZ_CHECK(!record || DayText(*record->last_day).size() == 10);
    }
  }
  return 0;
}
