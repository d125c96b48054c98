#pragma once
// The player's own history with each game, as the emulator records it: its
// settings file (settings.xml: the storage folder and one <Entry> per game
// under <GameCache>) and its play statistics (PlayStats.dat in that
// storage). Read only, never written; bytes come from the safe read.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/Files.h"
#include "titles/TitleFolders.h"

namespace tavro::titles {

// No settings file the emulator writes comes near this; a larger one is
// refused unread.
constexpr std::size_t kMaxEmulatorSettingsBytes = std::size_t{16} << 20;
// The statistics file is a fixed table: a count, then 256 entries of 20
// bytes. A file of any other size is not used (the emulator does the same).
constexpr std::size_t kPlayStatsEntries = 256;
constexpr std::size_t kPlayStatsBytes = 4 + kPlayStatsEntries * 20;

// One <GameCache><Entry>, as the emulator reads it: a field that is missing
// or not a number counts as 0 (false, empty).
struct GameCacheEntry {
  std::uint64_t title_id = 0;  // decimal in the file
  std::string custom_name;     // as written, unchecked
  bool favorite = false;
  std::uint64_t seconds_played = 0;  // the older counter, <time_played>
  std::int64_t last_played = 0;      // Unix time; 0: never
};

struct EmulatorSettings {
  std::string mlc_path;  // "" for the default storage
  std::vector<GameCacheEntry> games;
};

// The settings file's parts the play records need; none when it is larger
// than kMaxEmulatorSettingsBytes, nested too deep, does not parse or has no
// <content>.
std::optional<EmulatorSettings> ReadEmulatorSettings(std::string_view bytes);

// One used entry of the statistics table.
struct PlayStat {
  std::uint64_t title_id = 0;
  std::uint32_t minutes = 0;
  std::uint16_t last_day = 0;  // days from 2000-01-01
};

// The table's entries the count says are in use (at most 256), in the
// file's order; none for a file that is not exactly kPlayStatsBytes long.
std::vector<PlayStat> ReadPlayStats(std::string_view bytes);

// What the list shows of one game.
struct PlayRecord {
  std::uint64_t minutes = 0;             // never overflows: it stops at the largest
  std::optional<std::int32_t> last_day;  // days from 1970-01-01
  bool favorite = false;
  std::string custom_name;  // fit to show, "" when none
  // Whether the list shows a time or a day for it.
  bool Shown() const { return minutes > 0 || last_day.has_value(); }
};

// A Unix time turned into the day it falls on where the player lives.
using LocalDayRule = std::function<std::optional<std::int32_t>(std::int64_t unix_seconds)>;

// The records by title ID, merged as the emulator's own list merges them:
// the minutes of the first statistics entry of an ID plus every entry's
// <time_played> / 60; the later of the statistics' day and every entry's
// <last_played>; the first entry's custom name; the last entry's favourite.
class PlayRecords final {
 public:
  PlayRecords() = default;
  PlayRecords(const EmulatorSettings& settings, const std::vector<PlayStat>& stats,
              const LocalDayRule& local_day);
  const PlayRecord* Find(std::uint64_t title_id) const;
  std::size_t Size() const { return by_id_.size(); }

 private:
  std::unordered_map<std::uint64_t, PlayRecord> by_id_;
};

// The time column: "12 h 05 min", under an hour "45 min", no minutes "";
// never more than "99999 h 59 min".
std::string PlayedText(std::uint64_t minutes);
// The day column: "2026-12-01"; "" for a day outside the years 1 to 9999.
std::string DayText(std::int32_t days_from_1970);

// The storage folder a mode text's words name for the emulator's start:
// the word after "-mlc", "--mlc" or "-m" (in any case, as the emulator
// takes its options), a leading "=" dropped as the emulator drops it; the
// first such option counts. None when they name none.
std::optional<std::string> MlcFromWords(const std::vector<std::string>& words);

// The records as the emulator's files stand, for the emulator at place
// started with mode_text: its settings file, and the statistics in the
// storage the mode's words name, else the settings file's, else the
// default. Each file is read again only when its path, size or last write
// changed. A settings file that is there but refused gives no records at
// all; a missing one, none of its own.
class PlayRecordsMemo final {
 public:
  const PlayRecords& Read(const EmulatorPlace& place, const std::string& mode_text);
  // The next Read reads both files whatever their stamps say (a file
  // system may keep a last write only to the second or two).
  void Forget() { read_once_ = false; }

 private:
  struct Seen {
    std::string path;
    std::optional<FileStamp> stamp;
    bool operator==(const Seen&) const = default;
  };
  Seen settings_seen_;
  Seen stats_seen_;
  bool read_once_ = false;
  std::optional<EmulatorSettings> settings_;  // none: refused
  PlayRecords records_;
};

}  // namespace tavro::titles
