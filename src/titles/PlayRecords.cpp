#include "titles/PlayRecords.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <limits>

#include "runtime/LocalTime.h"
#include "runtime/Text.h"
#include "titles/BigEndian.h"
#include "titles/MetaXml.h"
#include "titles/TitleText.h"
#include "titles/XmlDocument.h"

namespace tavro::titles {

namespace {

// 2000-01-01, the statistics' first day, counted from 1970-01-01.
constexpr std::int32_t kStatsEpoch = 10957;
// The largest time the column shows: 99999 h 59 min.
constexpr std::uint64_t kMaxShownMinutes = 99999ULL * 60 + 59;

// A whole decimal number as the emulator's XML reader takes one: blanks
// around it, an optional sign. None for anything else, or one beyond 64 bits.
std::optional<std::int64_t> DecimalNumber(std::string_view text) {
  const std::string trimmed = text::TrimSpaces(text);
  std::string_view digits = trimmed;
  const bool negative = digits.starts_with('-');
  if (negative || digits.starts_with('+'))
    digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 19)
    return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
    return std::nullopt;
  const auto signed_value = static_cast<std::int64_t>(value);
  return negative ? -signed_value : signed_value;
}

// The emulator's reading of a flag: a number other than 0, or "true" as
// its XML library spells it.
bool Flag(std::string_view text) {
  if (const auto number = DecimalNumber(text))
    return *number != 0;
  return text == "true" || text == "True" || text == "TRUE";
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(BigEndian(bytes, at, 4));
}

std::uint16_t BigEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(BigEndian(bytes, at, 2));
}

std::uint64_t AddCapped(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

}  // namespace

std::optional<EmulatorSettings> ReadEmulatorSettings(std::string_view bytes) {
  EmulatorSettings settings;
  const bool parsed = ParseXml(
      bytes, kMaxEmulatorSettingsBytes, kMaxXmlDepth, "content", [&](const XmlNode& content) {
        settings.mlc_path = std::string(ChildText(content, "mlc_path"));
        const XmlNode* cache = content.first_node("GameCache");
        for (const XmlNode* node = cache ? cache->first_node("Entry") : nullptr; node != nullptr;
             node = node->next_sibling("Entry")) {
          GameCacheEntry entry;
          // A title ID that is no number names no game: the entry counts
          // for none.
          const auto id = DecimalNumber(ChildText(*node, "title_id"));
          entry.title_id = id ? static_cast<std::uint64_t>(*id) : 0;
          entry.custom_name = std::string(ChildText(*node, "custom_name"));
          entry.favorite = Flag(ChildText(*node, "favorite"));
          const auto seconds = DecimalNumber(ChildText(*node, "time_played"));
          entry.seconds_played = seconds && *seconds > 0 ? static_cast<std::uint64_t>(*seconds) : 0;
          entry.last_played = DecimalNumber(ChildText(*node, "last_played")).value_or(0);
          settings.games.push_back(std::move(entry));
        }
      });
  if (!parsed)
    return std::nullopt;
  return settings;
}

std::vector<PlayStat> ReadPlayStats(std::string_view bytes) {
  if (bytes.size() != kPlayStatsBytes)
    return {};
  const std::size_t count = std::min<std::size_t>(BigEndian32(bytes, 0), kPlayStatsEntries);
  std::vector<PlayStat> stats;
  stats.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 4 + i * 20;
    PlayStat stat;
    stat.title_id = (std::uint64_t{BigEndian32(bytes, at)} << 32) | BigEndian32(bytes, at + 4);
    stat.minutes = BigEndian32(bytes, at + 8);
    // at + 12: times launched; at + 14: the first day; at + 18: unused.
    stat.last_day = BigEndian16(bytes, at + 16);
    stats.push_back(stat);
  }
  return stats;
}

PlayRecords::PlayRecords(const EmulatorSettings& settings, const std::vector<PlayStat>& stats,
                         const LocalDayRule& local_day) {
  // Only the first statistics entry of an ID counts, as the emulator looks
  // an ID up.
  for (const PlayStat& stat : stats) {
    if (stat.title_id == 0 || by_id_.contains(stat.title_id))
      continue;
    PlayRecord& record = by_id_[stat.title_id];
    record.minutes = stat.minutes;
    record.last_day = kStatsEpoch + stat.last_day;
  }
  std::unordered_map<std::uint64_t, bool> named;  // the first entry of an ID seen
  for (const GameCacheEntry& entry : settings.games) {
    if (entry.title_id == 0)
      continue;
    PlayRecord& record = by_id_[entry.title_id];
    if (!named[entry.title_id]) {
      named[entry.title_id] = true;
      record.custom_name = ShowableName(entry.custom_name).value_or("");
    }
    record.minutes = AddCapped(record.minutes, entry.seconds_played / 60);
    if (entry.last_played != 0) {
      if (const auto day = local_day(entry.last_played);
          day && (!record.last_day || *day > *record.last_day))
        record.last_day = day;
    }
    record.favorite = entry.favorite;
  }
}

const PlayRecord* PlayRecords::Find(std::uint64_t title_id) const {
  const auto found = by_id_.find(title_id);
  return found == by_id_.end() ? nullptr : &found->second;
}

std::string PlayedText(std::uint64_t minutes) {
  minutes = std::min(minutes, kMaxShownMinutes);
  if (minutes == 0)
    return {};
  char text[32];
  if (minutes < 60) {
    std::snprintf(text, sizeof(text), "%u min", static_cast<unsigned>(minutes));
  } else {
    std::snprintf(text, sizeof(text), "%u h %02u min", static_cast<unsigned>(minutes / 60),
                  static_cast<unsigned>(minutes % 60));
  }
  return text;
}

std::string DayText(std::int32_t days_from_1970) {
  using namespace std::chrono;
  const year_month_day day{sys_days{days{days_from_1970}}};
  const int y = static_cast<int>(day.year());
  if (y < 1 || y > 9999)
    return {};
  char text[16];
  std::snprintf(text, sizeof(text), "%04d-%02u-%02u", y, static_cast<unsigned>(day.month()),
                static_cast<unsigned>(day.day()));
  return text;
}

std::optional<std::string> MlcFromWords(const std::vector<std::string>& words) {
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    const std::string option = text::ToLowerAscii(words[i]);
    if (option != "-mlc" && option != "--mlc" && option != "-m")
      continue;
    std::string_view path = words[i + 1];
    if (path.starts_with('='))
      path.remove_prefix(1);
    return std::string(path);
  }
  return std::nullopt;
}

const PlayRecords& PlayRecordsMemo::Read(const EmulatorPlace& place, const std::string& mode_text) {
  Seen settings_now{EmulatorSettingsPath(place), std::nullopt};
  if (!settings_now.path.empty())
    settings_now.stamp = StampOf(settings_now.path);
  const bool settings_changed = !read_once_ || !(settings_now == settings_seen_);
  if (settings_changed) {
    settings_ = EmulatorSettings{};
    try {
      // A folder on the way that cannot be looked at refuses it too.
      if (!settings_now.path.empty() && Exists(settings_now.path))
        settings_ =
            ReadEmulatorSettings(ReadOrdinaryFile(settings_now.path, kMaxEmulatorSettingsBytes));
    } catch (const std::exception&) {
      settings_.reset();
    }
    settings_seen_ = settings_now;
  }
  std::string mlc;
  if (settings_) {
    if (auto from_mode = MlcFromWords(text::SplitWords(mode_text)))
      mlc = std::move(*from_mode);
    else if (!settings_->mlc_path.empty())
      mlc = settings_->mlc_path;
    else
      mlc = DefaultMlcPath(place);
  }
  Seen stats_now{mlc.empty() ? std::string() : PlayStatsPath(mlc), std::nullopt};
  if (!stats_now.path.empty())
    stats_now.stamp = StampOf(stats_now.path);
  if (!settings_changed && stats_now == stats_seen_)
    return records_;
  std::vector<PlayStat> stats;
  if (stats_now.stamp) {
    try {
      stats = ReadPlayStats(ReadOrdinaryFile(stats_now.path, kPlayStatsBytes));
    } catch (const std::exception&) {
      // Larger than the table, or no ordinary file: not used.
    }
  }
  stats_seen_ = stats_now;
  read_once_ = true;
  records_ = settings_ ? PlayRecords(*settings_, stats, &LocalDayOf) : PlayRecords();
  return records_;
}

}  // namespace tavro::titles
