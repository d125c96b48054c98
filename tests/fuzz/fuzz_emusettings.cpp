// The emulator's settings file from anyone: never a crash; every record
// built from it has a name the list can show and a time it can print.

#include <string>

#include "FuzzCheck.h"
#include "titles/PlayRecords.h"
#include "titles/TitleText.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  using namespace tavro::titles;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto settings = ReadEmulatorSettings(bytes);
  if (!settings)
    return 0;
  FUZZ_CHECK(settings->games.size() <= size);
  const PlayRecords records(*settings, {}, [](std::int64_t t) {
    return std::optional<std::int32_t>(static_cast<std::int32_t>(t % 5000000));
  });
  for (const auto& game : settings->games) {
    const PlayRecord* record = records.Find(game.title_id);
    FUZZ_CHECK((game.title_id == 0) == (record == nullptr));
    if (record == nullptr)
      continue;
    if (!record->custom_name.empty())
      FUZZ_CHECK(ShowableName(record->custom_name) == record->custom_name);
    FUZZ_CHECK(PlayedText(record->minutes).size() <= 14);
    if (record->last_day)
      FUZZ_CHECK(DayText(*record->last_day).size() <= 10);
  }
  return 0;
}
