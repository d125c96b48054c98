// The title view's .rpx list of a library of unpacked games in one folder
// (10,000 unless told; Titles=en, the page cache warm), against bare
// programs. A session's first listing (every meta.xml read and checked)
// against one that reads the same meta.xml files and sorts the names; a
// later listing (the unchanged files taken from the session's memo) against
// one that makes the same looks per game, one at meta.xml and one listing of
// code/, and sorts the names it knows. Then 1,000 titled games whose
// emulator has a record of each (settings.xml, PlayStats.dat), listed again
// with PlayTime on (the records looked at, and read when they changed, with
// each listing, as the window does) against the same listing with it off.
//
//   build/linux/bin/tavro_titles_bench [runs] [games]

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MedianTime.h"
#include "runtime/Files.h"
#include "runtime/Text.h"
#include "titles/GameTitles.h"
#include "titles/TitleText.h"
#include "window/Layout.h"
#include "window/controls/ListBoxes.h"

namespace {

namespace fs = std::filesystem;
using tavro::bench::MedianMs;
int games = 10000;

// A meta.xml of a real one's shape and size: every language's names and
// publisher, and the other fields a console menu reads.
std::string GameId(int i) {
  return "00050000101" + std::to_string(10000 + i).substr(0, 5);
}

std::string MetaXml(int i) {
  const std::string id = GameId(i);
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<menu type=\"complex\" access=\"777\">\n"
      "  <version type=\"unsignedInt\" length=\"4\">33</version>\n"
      "  <title_id type=\"hexBinary\" length=\"8\">" +
      id + "</title_id>\n";
  for (const char* field : {"product_code", "content_platform", "company_code", "mastering_date",
                            "logo_type", "app_launch_type", "invisible_flag", "no_managed_flag"})
    xml +=
        std::string("  <") + field + " type=\"string\" length=\"32\">WUP-P-ABCD</" + field + ">\n";
  const std::string name = "Game " + std::to_string(i * 7919 % 10007);
  for (std::string_view lang : tavro::titles::kLanguages) {
    const std::string l(lang);
    xml += "  <longname_" + l + " type=\"string\" length=\"512\">" + name + "\nEdition " + l +
           "</longname_" + l + ">\n  <shortname_" + l + " type=\"string\" length=\"256\">" + name +
           "</shortname_" + l + ">\n  <publisher_" + l +
           " type=\"string\" length=\"256\">Publisher</publisher_" + l + ">\n";
  }
  return xml + "</menu>\n";
}

fs::path Library(int games) {
  const fs::path lib = fs::temp_directory_path() / ("tavro-bench-titles-" + std::to_string(games));
  if (fs::exists(lib / "done"))
    return lib;
  fs::remove_all(lib);
  for (int i = 0; i < games; ++i) {
    const fs::path game = lib / ("Game" + std::to_string(i));
    fs::create_directories(game / "code");
    fs::create_directories(game / "meta");
    std::ofstream(game / "code" / "Game.rpx") << "rpx";
    std::ofstream(game / "meta" / "meta.xml", std::ios::binary) << MetaXml(i);
  }
  std::ofstream(lib / "done");
  return lib;
}

// What a program that only wants the names does: each folder's meta.xml
// read whole, the English long name cut out, the names sorted.
std::vector<std::string> BareNames(const std::string& lib) {
  std::vector<std::string> names;
  DIR* dir = opendir(lib.c_str());
  while (dirent* e = readdir(dir)) {
    if (e->d_type != DT_DIR || e->d_name[0] == '.')
      continue;
    std::ifstream file(lib + "/" + e->d_name + "/meta/meta.xml", std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(file)), {});
    const auto open = xml.find("<longname_en");
    const auto from = xml.find('>', open);
    const auto to = xml.find("</longname_en>", from);
    if (open == std::string::npos || to == std::string::npos)
      continue;
    std::string name = xml.substr(from + 1, to - from - 1);
    std::replace(name.begin(), name.end(), '\n', ' ');
    names.push_back(std::move(name));
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), tavro::text::LessNoCase);
  return names;
}

// What a program that already knows every name does to see that nothing
// changed: per game one look at meta.xml and one listing of code/, then the
// names sorted.
std::vector<std::string> BareAgain(const std::string& lib, const std::vector<std::string>& known) {
  std::vector<std::string> names;
  DIR* dir = opendir(lib.c_str());
  std::size_t next = 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_type != DT_DIR || e->d_name[0] == '.')
      continue;
    const std::string game = lib + "/" + e->d_name;
    struct stat st {};
    if (stat((game + "/meta/meta.xml").c_str(), &st) != 0)
      continue;
    DIR* code = opendir((game + "/code").c_str());
    bool rpx = false;
    while (dirent* f = code ? readdir(code) : nullptr)
      rpx = rpx || std::strstr(f->d_name, ".rpx") != nullptr;
    if (code)
      closedir(code);
    if (rpx && next < known.size())
      names.push_back(known[next++]);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), tavro::text::LessNoCase);
  return names;
}

// The emulator, portable, with a record of each of games: one <Entry> each
// in its settings.xml (a favourite in ten, a time in each), and the first
// 256 in its statistics. Gives the folder holding the emulator.
fs::path EmulatorWithRecords(int games) {
  const fs::path emulator =
      fs::temp_directory_path() / ("tavro-bench-records-" + std::to_string(games));
  const fs::path portable = emulator / "portable";
  const fs::path pdm = portable / "mlc01" / "usr" / "save" / "system" / "pdm" / "80000001";
  fs::create_directories(pdm);
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<content>\n<mlc_path></mlc_path>\n"
      "<GameCache>\n";
  std::string stats(tavro::titles::kPlayStatsBytes, '\0');
  const int counted = std::min<int>(games, tavro::titles::kPlayStatsEntries);
  for (int shift = 0; shift < 4; ++shift)
    stats[static_cast<std::size_t>(shift)] = static_cast<char>(counted >> (24 - 8 * shift));
  for (int i = 0; i < games; ++i) {
    const std::uint64_t id = *tavro::titles::ParseTitleId(GameId(i));
    xml += "<Entry><title_id>" + std::to_string(id) +
           "</title_id><name></name><custom_name></custom_name><region>0</region>"
           "<path>/games/g.wud</path><time_played>" +
           std::to_string(60 * i) +
           "</time_played><last_played>1796212800</last_played>"
           "<favorite>" +
           (i % 10 == 0 ? "true" : "false") + "</favorite></Entry>\n";
    if (i < counted) {
      const std::size_t at = 4 + static_cast<std::size_t>(i) * 20;
      for (int b = 0; b < 8; ++b)
        stats[at + static_cast<std::size_t>(b)] = static_cast<char>(id >> (56 - 8 * b));
      stats[at + 11] = static_cast<char>(i);  // minutes
      stats[at + 17] = 1;                     // a last day
    }
  }
  std::ofstream(portable / "settings.xml", std::ios::binary) << xml << "</GameCache>\n</content>\n";
  std::ofstream(pdm / "PlayStats.dat", std::ios::binary) << stats;
  return emulator;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  if (argc > 2)
    games = std::max(1, std::atoi(argv[2]));
  const std::string lib = tavro::Utf8(Library(games));
  const tavro::titles::TitleView view = tavro::titles::ParseTitlesKey("en");
  // File1 lists the folder's own .rpx files (none), then the title rows.
  auto list_in = [&](const std::string& folder, int count, tavro::titles::TitleMemo& memo,
                     const tavro::titles::PlayRecords* records) {
    tavro::FileListBox files(tavro::Form1Control("File1"));
    files.SetPattern("*.rpx");
    files.SetPath(folder);
    const auto rows = tavro::titles::ListRpxRows(folder, files.List(), view, memo, records);
    if (rows.size() != static_cast<std::size_t>(count) ||
        rows.front().shown.find(' ') == std::string::npos ||
        (records && rows.front().shown.find('\t') == std::string::npos))
      std::abort();
  };
  auto list = [&](tavro::titles::TitleMemo& memo) { list_in(lib, games, memo, nullptr); };
  const std::vector<std::string> known = BareNames(lib);
  const double bare_ms = MedianMs(runs, [&] {
    if (BareNames(lib).size() != static_cast<std::size_t>(games))
      std::abort();
  });
  const double bare_again_ms = MedianMs(runs, [&] {
    if (BareAgain(lib, known).size() != static_cast<std::size_t>(games))
      std::abort();
  });
  const double first_ms = MedianMs(runs, [&] {
    tavro::titles::TitleMemo memo;
    list(memo);
  });
  tavro::titles::TitleMemo session;
  list(session);
  const double again_ms = MedianMs(runs, [&] { list(session); });
  std::printf("%d titled games, bare read and sort of their meta.xml: %.1f ms\n", games, bare_ms);
  std::printf("the .rpx list with titles, first listing: %.1f ms: %.2fx (target 1.5x)\n", first_ms,
              first_ms / bare_ms);
  std::printf("bare look at each meta.xml and code/, names sorted: %.1f ms\n", bare_again_ms);
  std::printf("the .rpx list with titles, listed again: %.1f ms: %.2fx (target 1.2x)\n", again_ms,
              again_ms / bare_again_ms);

  // PlayTime: 1,000 games, each with a record.
  constexpr int kRecorded = 1000;
  const std::string recorded_lib = tavro::Utf8(Library(kRecorded));
  tavro::titles::EmulatorPlace place;
  place.folder = tavro::Utf8(EmulatorWithRecords(kRecorded));
  tavro::titles::TitleMemo recorded_session;
  tavro::titles::PlayRecordsMemo records;
  list_in(recorded_lib, kRecorded, recorded_session, &records.Read(place, "-g"));
  // Off and on taken in turns, so a busy moment of the machine falls on both.
  double off_ms = 0;
  double on_ms = 0;
  {
    std::vector<double> off;
    std::vector<double> on;
    for (int i = 0; i < runs; ++i) {
      off.push_back(
          MedianMs(1, [&] { list_in(recorded_lib, kRecorded, recorded_session, nullptr); }));
      on.push_back(MedianMs(1, [&] {
        list_in(recorded_lib, kRecorded, recorded_session, &records.Read(place, "-g"));
      }));
    }
    std::sort(off.begin(), off.end());
    std::sort(on.begin(), on.end());
    off_ms = off[off.size() / 2];
    on_ms = on[on.size() / 2];
  }
  const double read_ms = MedianMs(runs, [&] {
    tavro::titles::PlayRecordsMemo fresh;
    if (fresh.Read(place, "-g").Size() != static_cast<std::size_t>(kRecorded))
      std::abort();
  });
  std::printf("%d titled games with records, listed again, PlayTime off: %.1f ms\n", kRecorded,
              off_ms);
  std::printf("the same with PlayTime on: %.1f ms: %.2fx (target 1.1x)\n", on_ms, on_ms / off_ms);
  std::printf("the records read afresh (settings.xml and PlayStats.dat): %.1f ms\n", read_ms);
  return 0;
}
