// The title view through the window: which rows a library gives, the file
// each plays, and the picture each shows.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/Module_FirstStartApp.h"
#include "settings/SettingsPaths.h"
#include "titles/TitleText.h"
#include "titles/WuaArchive.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::WriteAll;

std::string Meta(const std::string& id, const std::string& names) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<menu type=\"complex\" access=\"777\">"
         "<title_id type=\"hexBinary\" length=\"8\">" +
         id + "</title_id>" + names + "</menu>";
}
std::string En(const std::string& name) {
  return "<longname_en type=\"string\" length=\"512\">" + name + "</longname_en>";
}

// A 2 x 1 TGA, top-left origin, plain (type 2) or run-length (10), 32 or 24
// bits; by default one opaque red pixel, one see-through.
std::string Tga(char type = 2, char bits = 32,
                const std::string& data = std::string("\x00\x00\xff\xff\x00\x00\x00\x00", 8)) {
  std::string t(18, '\0');
  t[2] = type;
  t[12] = 2;
  t[14] = 1;
  t[16] = bits;
  t[17] = bits == 32 ? 0x28 : 0x20;  // top-left origin, 8 alpha bits or none
  return t + data;
}

struct Titled {
  explicit Titled(const std::string& titles, const std::string& play_time = "") : app("titles") {
    PrepareFirstStart(services.AppFolder(), services);
    const std::string ini = settings::SettingsFile(app.Utf8());
    WriteIniValue("TavroFrontEndCnfig", "Titles", titles, ini);
    if (!play_time.empty())
      WriteIniValue("TavroFrontEndCnfig", "PlayTime", play_time, ini);
    WriteIniValue("TavroFrontEndCnfig", "DiscPattern", "*.wud;*.wux;*.wua", ini);
    form.LoadSettings();
    Put(Under({"Emulator", "Cemu.exe"}), "exe");
  }
  std::string Under(std::initializer_list<std::string_view> parts) const {
    return app.Utf8() + paths::Lit(parts);
  }
  static void Put(const std::string& path, const std::string& bytes) {
    fs::create_directories(FsPath(path).parent_path());
    WriteAll(FsPath(path), bytes);
  }
  // A game folder under the library: its code/ files and its meta.xml.
  void Game(const std::string& folder, const std::string& meta,
            std::vector<std::string> rpx = {"Game.rpx"}) {
    for (const auto& file : rpx)
      Put(Under({"lib", folder, "code", file}), "rpx");
    if (!meta.empty())
      Put(Under({"lib", folder, "meta", "meta.xml"}), meta);
  }
  void OpenRpx(const std::string& folder) {
    form.Option2[1].Select();
    form.Dir1.SetPath(folder);
  }
  int Row(const std::string& shown) const {
    const auto& list = form.File1.List();
    const auto it = std::find(list.begin(), list.end(), shown);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
  }
  std::string Play(const std::string& shown) {
    const int row = Row(shown);
    if (row < 0)
      return "no row " + shown;
    view::PickFile(form, row);
    view::Click(form, form.Command1);
    return services.emulators.empty() ? "" : services.emulators.back().game_path;
  }
  std::string Shown() const {
    const auto* picture = dynamic_cast<const test::FakePicture*>(form.Picture1.Picture().get());
    return form.Picture1.Picture() == form.Picture2.Picture() ? "default"
           : picture                                          ? picture->Source()
                                                              : "?";
  }

  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
};

TEST(Titles, RpxLibraryRowsAndTheirGames) {
  struct Case {
    std::string key;
    std::vector<std::string> rows;
  };
  const auto rows = [](const std::string& zelda) {
    return std::vector<std::string>{
        "Bidi",  "Big",         "Bits",        "Blank",     "Deep",   "Mario Kart 8", "Multi Game",
        "Quote", "Same [Dup1]", "Same [Dup2]", "Two Lines", "Wrap32", "Wrapped",      zelda};
  };
  const std::vector<Case> cases = {
      {"off", {}},           {"0", {}},
      {"en", rows("Zelda")}, {"DE", rows("Zelda Atem")},
      {"fr", rows("Zelda")}, {"klingon", rows("Zelda")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    Titled t(c.key);
    const std::string game = "0005000010101A00";
    t.Game("Zelda", Meta(game, En("Zelda") + "<longname_de>Zelda Atem</longname_de>"),
           {"U-King.rpx"});
    t.Game("Kart", Meta("0005000010144F00", En("Mario Kart\r\n8")));
    t.Game("Multi", Meta(game, En("Multi Game")), {"b.rpx", "A.rpx"});
    t.Game("Dup1", Meta(game, En("Same")));
    t.Game("Dup2", Meta(game, En("Same")));
    t.Game("Update", Meta("0005000E10101A00", En("Zelda Update")));
    t.Game("Dlc", Meta("0005000C10101A00", En("Zelda DLC")));
    t.Game("Plain", "");  // no meta.xml: no game
    // Hostile: each falls back to its folder's name.
    t.Game("Big", Meta(game, En("Big") + std::string(1 << 20, ' ')));
    std::string deep;
    for (int i = 0; i < 100; ++i)
      deep += "<a>";
    deep += En("Deep title");
    for (int i = 0; i < 100; ++i)
      deep += "</a>";
    t.Game("Deep", Meta(game, deep));
    t.Game("Bits", Meta(game, En("Bad&#1;Name") + "<longname_ja>\xff\xfe</longname_ja>"));
    // A quote is part of an element's name, not a value's start: nested
    // after it far past the stack.
    std::string quote = "<menu\">";
    for (int i = 0; i < 100000; ++i)
      quote += "<a>";
    t.Game("Quote", Meta(game, quote + En("Quote title")));
    t.Game("Lines", Meta(game, En("Two\xe2\x80\xa8Lines\xe2\x80\xa9")));  // U+2028, U+2029
    // Blanks, NBSP, U+3000, U+200B, U+2060, U+FEFF, U+2003, U+202F.
    t.Game("Blank", Meta(game, En(" \xc2\xa0\xe3\x80\x80\xe2\x80\x8b\xe2\x81\xa0\xef\xbb\xbf"
                                  "\xe2\x80\x83\xe2\x80\xaf")));
    t.Game("Bidi", Meta(game, En("evil\xe2\x80\xaegnp.exe")));  // U+202E
    // Numeric references past U+10FFFF that wrap to "A" (64- and 32-bit
    // counts): only the field holding one is refused.
    t.Game("Wrap64",
           Meta(game, En("Wrapped") + "<longname_de>&#x10000000000000041;</longname_de>"));
    t.Game("Wrap32", Meta(game, En("&#4294967361;")));
    t.OpenRpx(t.Under({"lib"}));
    EXPECT_EQ(t.form.File1.List(), c.rows);
    if (c.rows.empty())
      continue;
    const std::string lib = t.Under({"lib"});
    const std::string code = paths::Lit({"code"}, true);
    EXPECT_EQ(t.Play(c.rows.back()), lib + paths::Lit({"Zelda"}) + code + "U-King.rpx");
    EXPECT_EQ(t.Play("Multi Game"), lib + paths::Lit({"Multi"}) + code + "A.rpx");
    EXPECT_EQ(t.Play("Same [Dup2]"), lib + paths::Lit({"Dup2"}) + code + "Game.rpx");
    // The game's own folder opened: its .rpx named by its title, played as today.
    t.form.Dir1.SetPath(t.Under({"lib", "Kart"}));
    EXPECT_EQ(t.form.File1.List(), std::vector<std::string>{"Mario Kart 8"});
    EXPECT_EQ(t.Play("Mario Kart 8"), t.Under({"lib", "Kart"}) + code + "Game.rpx");
  }
}

TEST(Titles, DiscRowsFromTheEmulatorsListAndArchives) {
  // Where the emulator keeps its list (under the app folder, or the home
  // folder for a Flatpak), and the list nested past the stack: each disc
  // then has its file name.
  struct Place {
    std::string what;
    std::string list_at;  // under the app folder
    std::string flatpak;
    bool nested;
  };
  const std::vector<Place> places = {
      {"portable", paths::Lit({"Emulator", "portable"}), "", false},
      {"a Flatpak's data folder",
       paths::Lit({"home", ".var", "app", "info.cemu.Cemu", "data", "Cemu"}), "info.cemu.Cemu",
       false},
      {"nested past any depth", paths::Lit({"Emulator", "portable"}), "", true},
  };
  for (const auto& place : places) {
    SCOPED_TRACE(place.what);
#ifdef _WIN32
    if (!place.flatpak.empty())
      continue;  // Windows runs no Flatpak
#else
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
#endif
    Titled t("en");
    const std::string folder = t.Under({"lib"});
    const std::string sep(paths::kSep);
    t.Put(folder + sep + "a.wud", "disc");
    t.Put(folder + sep + "b.wux", "disc");
    t.Put(folder + sep + "d.wud", "disc");
    t.Put(folder + sep + "e.wud", "disc");
    t.Put(folder + sep + "junk.wua", std::string(200, 'z'));  // no archive: its file name
    // The update's entry shares the game's path and is not the game's name,
    // listed before the game's entry or after it.
    const auto entry = [&](const std::string& id, const std::string& name,
                           const std::string& file) {
      return "<title titleId=\"" + id + "\" version=\"0\"><name>" + name + "</name><path>" +
             folder + sep + file + "</path></title>";
    };
    std::string list = entry("0005000e10101a00", "Zz Update", "a.wud") +
                       entry("0005000010101a00", "Zelda Disc", "a.wud") +
                       entry("0005000010101b00", "Bad\x01", "b.wux") +
                       entry("0005000010101d00", "Dd Disc", "d.wud") +
                       entry("0005000e10101d00", "Zz Update", "d.wud") +
                       entry("0005000010101e00", "&#x10000000000000041;", "e.wud");
    if (place.nested) {
      for (int i = 0; i < 100000; ++i)
        list = "<a>" + list;
      list = "<a'>" + list;
    }
    t.Put(t.app.Utf8() + place.list_at + sep + "title_list_cache.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><title_list>" + list + "</title_list>");
    t.form.Settings().Flatpak = place.flatpak;
    std::vector<std::string> expected = {"b.wux", "Dd Disc", "e.wud", "junk.wua", "Zelda Disc"};
    if (place.nested)
      expected = {"a.wud", "b.wux", "d.wud", "e.wud", "junk.wua"};
#ifndef _WIN32
    setenv("HOME", t.Under({"home"}).c_str(), 1);
#endif
    // An archive made by the emulator's own tool (tests/core/make_wua.py):
    // named by its base game, not by its update beside it.
    const std::string made = TAVRO_TEST_WUA_DIR;
    fs::copy_file(FsPath(made + "/archived.wua"), FsPath(folder + sep + "c.wua"));
    expected.insert(expected.begin() + (place.nested ? 1 : 0), "Archived");  // after "a.wud"
    t.form.Dir1.SetPath(folder);
#ifndef _WIN32
    setenv("HOME", home.c_str(), 1);
#endif
    EXPECT_EQ(t.form.File1.List(), expected);
    if (place.nested)
      continue;
    EXPECT_EQ(t.Play("Zelda Disc"), folder + sep + "a.wud");
    EXPECT_EQ(t.Play("Dd Disc"), folder + sep + "d.wud");
    EXPECT_EQ(t.Play("Archived"), folder + sep + "c.wua");
    // Its own icon from the archive, an opaque red pixel first.
    EXPECT_TRUE(t.Shown().starts_with("rgba:160x128:ff0000ff,"));
    // The icon spans a block stored as it is and a compressed one: read whole.
    const std::string icon = test::ReadAll(FsPath(made + "/icon.tga"));
    const auto read = titles::ReadWuaIcon(folder + sep + "c.wua");
    EXPECT_EQ(read.value_or("").size(), icon.size());
    EXPECT_TRUE(read == icon);  // (not EXPECT_EQ: 80 KB of noise in a failure)
    // A block that no longer decompresses gives no icon rather than a wrong one.
    std::string broken = test::ReadAll(FsPath(folder + sep + "c.wua"));
    broken[64 * 1024] ^= 0x55;  // the second block's frame header (the data come first)
    t.Put(folder + sep + "f.wua", broken);
    EXPECT_FALSE(titles::ReadWuaIcon(folder + sep + "f.wua"));
    // The .rpx folder is gone: the switch fails after the new pattern listed
    // this folder, and Play starts the row shown, by the .rpx rule.
    t.form.Settings().DirRpx = t.Under({"gone"});
    t.Put(folder + sep + "z.rpx", "rpx");
    view::SelectOption(t.form, t.form.Option2[1]);
    ASSERT_FALSE(t.services.messages.empty());
    EXPECT_EQ(t.services.messages.back().title, "Error");
    EXPECT_EQ(t.form.File1.List(), std::vector<std::string>{"z.rpx"});
    EXPECT_EQ(t.Play("z.rpx"), folder + paths::Lit({"code"}, true) + "z.rpx");
  }
}

TEST(Titles, AMetaXmlIsReadAgainOnlyWhenItChanged) {
  // Each step rewrites Zelda's meta.xml, then the library is listed again.
  struct Step {
    std::string what;
    std::string name;  // the new long name
    bool keep_time;    // the file's last write put back as it was
    std::string row;   // the row shown afterwards
  };
  const std::vector<Step> steps = {
      {"same size, same time: the name read before", "Zeldb", true, "Zelda"},
      {"same size, another time: read again", "Zeldc", false, "Zeldc"},
      {"another size, same time: read again", "Zelda II", true, "Zelda II"},
      {"made unreadable: today's row", std::string(2, '\x01'), false, "Zelda"},
  };
  Titled t("en");
  const std::string id = "0005000010101A00";
  t.Game("Zelda", Meta(id, En("Zelda")));
  t.Game("Kart", Meta("0005000010144F00", En("Kart")));
  const std::string lib = t.Under({"lib"});
  const fs::path meta = FsPath(t.Under({"lib", "Zelda", "meta", "meta.xml"}));
  // A whole second, which every way of setting a file's time keeps exactly.
  fs::last_write_time(meta, std::chrono::floor<std::chrono::seconds>(fs::last_write_time(meta)));
  t.OpenRpx(lib);
  ASSERT_EQ(t.form.File1.List(), (std::vector<std::string>{"Kart", "Zelda"}));
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    const auto time = fs::last_write_time(meta);
    WriteAll(meta, Meta(id, En(step.name)));
    fs::last_write_time(meta, step.keep_time ? time : time + std::chrono::seconds(5));
    t.form.Dir1.SetPath(t.Under({"lib", "Kart"}));
    t.form.Dir1.SetPath(lib);
    EXPECT_EQ(t.form.File1.List(), (std::vector<std::string>{"Kart", step.row}));
  }
}

TEST(Titles, CoverRuleWithTitles) {
  struct Case {
    std::string name;
    std::vector<std::string> images;  // files put in Image/
    std::string icon;                 // meta/iconTex.tga's bytes; none when empty
    std::string shown;                // "default", "keep", or the picture's source under Image/
    std::string id = "0005000010101A00";
  };
  const std::vector<Case> cases = {
      {"the file's own cover first", {"Game.jpg", "0005000010101A00.jpg"}, Tga(), "Game.jpg"},
      {"then the ID in upper case",
       {"0005000010101A00.jpg", "0005000010101a00.jpg"},
       Tga(),
       "0005000010101A00.jpg"},
      {"then in lower case", {"0005000010101a00.jpg"}, Tga(), "0005000010101a00.jpg"},
      {"an ID written in lower case: the same cover",
       {"0005000010101A00.jpg"},
       Tga(),
       "0005000010101A00.jpg",
       "0005000010101a00"},
      {"then the icon", {}, Tga(), "rgba:2x1:ff0000ff,00000000"},
      {"a 24-bit icon: opaque",
       {},
       Tga(2, 24, std::string("\x00\x00\xff\xff\x00\x00", 6)),
       "rgba:2x1:ff0000ff,0000ffff"},
      {"a run-length icon",
       {},
       Tga(10, 32, std::string("\x81\x00\x00\xff\xff", 5)),
       "rgba:2x1:ff0000ff,ff0000ff"},
      {"an icon cut short: the default", {}, Tga().substr(0, 25), "default"},
      {"a run-length icon ending before its last pixel: the default",
       {},
       Tga(10, 32, std::string("\x00\x00\x00\xff\xff", 5)),
       "default"},
      {"nothing: the picture stays", {}, "", "keep"},
      {"a cover that is a link loop: the default", {"loop"}, Tga(), "default"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Titled t("en");
    t.Game("G", Meta(c.id, En("Title")));
    if (!c.icon.empty())
      t.Put(t.Under({"lib", "G", "meta", "iconTex.tga"}), c.icon);
    const std::string image = t.Under({"Image"}) + std::string(paths::kSep);
    for (const auto& name : c.images) {
      if (name == "loop") {
#ifdef _WIN32
        GTEST_SKIP() << "links are the Linux suite's";
#else
        fs::create_symlink("Game.jpg", FsPath(image + "Game.jpg"));  // points at itself
#endif
      } else {
        t.Put(image + name, "\xFF\xD8jpeg");
      }
    }
    t.OpenRpx(t.Under({"lib", "G"}));
    // A picture from before, so that "keep" can be told from "default".
    const auto before = std::make_shared<test::FakePicture>("before", 1, 1);
    t.form.Picture1.SetPicture(before);
    view::PickFile(t.form, t.Row("Title"));
    std::string shown = c.shown;
#ifdef _WIN32
    // Names know no case here: the upper-case name, looked for first, finds
    // the lower-case file.
    if (c.name == "then in lower case")
      shown = "0005000010101A00.jpg";
#endif
    const std::string expected = shown == "keep"           ? "before"
                                 : shown.ends_with(".jpg") ? image + shown
                                                           : shown;
    EXPECT_EQ(t.Shown(), expected);
  }
}

// The emulator's records, written as the emulator writes them.
std::string Entry(std::uint64_t id, const std::string& fields) {
  return "<Entry><title_id>" + std::to_string(id) + "</title_id><name></name>" + fields +
         "</Entry>";
}
std::string EmulatorSettings(const std::string& mlc, const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<content><logflag>0</logflag><mlc_path>" +
         mlc + "</mlc_path><GameCache>" + entries + "</GameCache></content>";
}
struct Stat {
  std::uint64_t id;
  std::uint32_t minutes;
  std::uint16_t last_day;
  std::size_t slot;
};
std::string PlayStats(std::uint32_t count, const std::vector<Stat>& stats) {
  std::string bytes(5124, '\0');
  auto put = [&bytes](std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
      bytes[at + i] = static_cast<char>(value >> (8 * (size - 1 - i)));
  };
  put(0, count, 4);
  for (const Stat& s : stats) {  // times launched and the first day left 0
    put(4 + s.slot * 20, s.id, 8);
    put(12 + s.slot * 20, s.minutes, 4);
    put(20 + s.slot * 20, s.last_day, 2);
  }
  return bytes;
}

constexpr std::uint64_t kAlpha = 0x0005000010101A00, kBeta = 0x0005000010101B00,
                        kGamma = 0x0005000010101C00;
// 2026-12-02 12:00 UTC: the same day wherever the tests run.
const std::string kNoon = "1796212800";
// Both counters of Alpha (the statistics' first entry, every entry's time),
// a custom name and a favourite for Beta, a title ID that is no number, a
// custom name no list may show.
const std::string kEntries =
    Entry(kAlpha, "<time_played>3600</time_played><last_played>" + kNoon +
                      "</last_played><favorite>false</favorite>") +
    Entry(kAlpha, "<custom_name>Not first</custom_name><time_played>125</time_played>") +
    Entry(kBeta, "<custom_name>Bravo</custom_name><favorite>true</favorite>") +
    Entry(kGamma, "<custom_name>G&#1;</custom_name><time_played>0</time_played>") +
    "<Entry><title_id>0x5000010101D00</title_id><custom_name>Zed</custom_name><favorite>true"
    "</favorite></Entry>";
const std::vector<Stat> kStats = {
    {kAlpha, 600, 9800, 0}, {kGamma, 45, 9831, 1}, {kAlpha, 999, 9900, 2}};
const std::vector<std::string> kRecorded = {"Bravo", "Alpha\t11 h 02 min\t2026-12-02", "Delta",
                                            "Gamma\t45 min\t2026-12-01"};
const std::vector<std::string> kPlain = {"Alpha", "Beta", "Delta", "Gamma"};

#ifndef _WIN32
// An environment variable set for one test and put back after it.
struct EnvFor {
  EnvFor(const char* name, const std::string& value) : name(name) {
    if (const char* old = std::getenv(name))
      before = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvFor() { before ? setenv(name, before->c_str(), 1) : unsetenv(name); }
  const char* name;
  std::optional<std::string> before;
};
#endif

struct Recorded : Titled {
  explicit Recorded(const std::string& play_time = "on", const std::string& titles = "en")
      : Titled(titles, play_time) {
    Game("Alpha", Meta(titles::TitleIdText(kAlpha), En("Alpha")));
    Game("Beta", Meta(titles::TitleIdText(kBeta), En("Beta")));
    Game("Gamma", Meta(titles::TitleIdText(kGamma), En("Gamma")));
    Game("Delta", Meta("0005000010101D00", En("Delta")));
  }
  static std::string StatsIn(const std::string& mlc) {
    return mlc + paths::Lit({"usr", "save", "system", "pdm", "80000001", "PlayStats.dat"});
  }
};

TEST(Titles, PlayRecordsNameOrderAndTimeTheRows) {
  struct Case {
    std::string name;
    std::string place;  // where the files go: portable, mode, user, flatpak
    std::string settings;
    std::string stats;
    std::vector<std::string> rows;
    std::string play_time = "on";
    std::string titles = "en";
  };
  const std::string settings = EmulatorSettings("", kEntries);
  const std::string stats = PlayStats(3, kStats);
  std::string deep = EmulatorSettings("", kEntries);
  for (int i = 0; i < 20; ++i)
    deep.insert(deep.find("<GameCache>"), "<a>"), deep.insert(deep.find("</content>"), "</a>");
  const std::vector<Case> cases = {
      {"portable: both counters, the later day, custom name, favourite first", "portable", settings,
       stats, kRecorded},
      {"the key off: today's rows", "portable", settings, stats, kPlain, "off"},
      {"the key in another case, titles off: today's list",
       "portable",
       settings,
       stats,
       {},
       "ON",
       "off"},
      {"the storage the mode names", "mode", EmulatorSettings("elsewhere", kEntries), stats,
       kRecorded},
      {"no settings file: the statistics alone",
       "portable",
       "",
       stats,
       {"Alpha\t10 h 00 min\t2026-10-31", "Beta", "Delta", "Gamma\t45 min\t2026-12-01"}},
      {"a settings file over 16 MiB: nothing", "portable",
       settings + "<!--" + std::string(16 << 20, ' ') + "-->", stats, kPlain},
      {"a settings file nested too deep: nothing", "portable", deep, stats, kPlain},
      {"statistics of another size: not used",
       "portable",
       settings,
       stats + "x",
       {"Bravo", "Alpha\t1 h 02 min\t2026-12-02", "Delta", "Gamma"}},
      {"a count beyond the table: 256 entries",
       "portable",
       settings,
       PlayStats(0xFFFFFFFF, {{kGamma, 5, 0, 255}}),
       {"Bravo", "Alpha\t1 h 02 min\t2026-12-02", "Delta", "Gamma\t5 min\t2000-01-01"}},
      {"minutes beyond what shows",
       "portable",
       EmulatorSettings("", Entry(kAlpha, "<time_played>9223372036854775807</time_played>")),
       PlayStats(1, {{kAlpha, 0xFFFFFFFF, 65535, 0}}),
       {"Alpha\t99999 h 59 min\t2179-06-06", "Beta", "Delta", "Gamma"}},
#ifndef _WIN32
      {"the per-user folders", "user", settings, stats, kRecorded},
      {"the Flatpak's folders", "flatpak", settings, stats, kRecorded},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Recorded t(c.play_time, c.titles);
    std::string config = t.Under({"Emulator", "portable"});
    std::string mlc = config + paths::Lit({"mlc01"});
    if (c.place == "mode") {
      mlc = t.Under({"my mlc"});
      t.form.Settings().WinMode = "-f -mlc \"" + mlc + "\"";
    }
#ifndef _WIN32
    std::optional<EnvFor> config_home, data_home, home;
    if (c.place == "user") {
      config_home.emplace("XDG_CONFIG_HOME", t.Under({"cfg"}));
      data_home.emplace("XDG_DATA_HOME", t.Under({"data"}));
      config = t.Under({"cfg", "Cemu"});
      mlc = t.Under({"data", "Cemu", "mlc01"});
    } else if (c.place == "flatpak") {
      home.emplace("HOME", t.Under({"home"}));
      t.form.Settings().Flatpak = "info.cemu.Cemu";
      config = t.Under({"home", ".var", "app", "info.cemu.Cemu", "config", "Cemu"});
      mlc = t.Under({"home", ".var", "app", "info.cemu.Cemu", "data", "Cemu", "mlc01"});
    }
#endif
    if (!c.settings.empty())
      t.Put(config + paths::Lit({"settings.xml"}), c.settings);
    else
      fs::create_directories(FsPath(config));
    t.Put(Recorded::StatsIn(mlc), c.stats);
    t.OpenRpx(t.Under({"lib"}));
    EXPECT_EQ(t.form.File1.List(), c.rows);
  }
}

TEST(Titles, AGameEndingShowsItsNewTimeAndKeepsItsRow) {
  Recorded t;
  const std::string portable = t.Under({"Emulator", "portable"});
  t.Put(portable + paths::Lit({"settings.xml"}), EmulatorSettings("", kEntries));
  const std::string stats = Recorded::StatsIn(portable + paths::Lit({"mlc01"}));
  t.Put(stats, PlayStats(3, kStats));
  t.OpenRpx(t.Under({"lib"}));
  ASSERT_EQ(t.form.File1.List(), kRecorded);
  // The favourite plays its own game.
  const std::string code = paths::Lit({"code"}, true);
  EXPECT_EQ(t.Play("Bravo"), t.Under({"lib", "Beta"}) + code + "Game.rpx");
  view::PickFile(t.form, t.Row(kRecorded[3]));
  // Gamma's game ends after an hour more, and it turns a favourite: its row
  // moves up with its new time, still selected.
  WriteAll(FsPath(stats), PlayStats(3, {{kAlpha, 600, 9800, 0}, {kGamma, 105, 9832, 1}}));
  t.Put(portable + paths::Lit({"settings.xml"}),
        EmulatorSettings("", kEntries + Entry(kGamma, "<favorite>1</favorite>")));
  t.services.watchers.Tell(GameLife::kEnded, 0);
  const std::vector<std::string> after = {"Bravo", "Gamma\t1 h 45 min\t2026-12-02", kRecorded[1],
                                          "Delta"};
  EXPECT_EQ(t.form.File1.List(), after);
  EXPECT_EQ(t.form.File1.ListIndex(), 1);
  view::Click(t.form, t.form.Command1);
  EXPECT_EQ(t.services.emulators.back().game_path, t.Under({"lib", "Gamma"}) + code + "Game.rpx");
}

}  // namespace
}  // namespace tavro
