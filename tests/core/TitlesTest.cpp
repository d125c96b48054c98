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

// A 2 x 1 TGA, 32 bits: one opaque red pixel, one see-through.
std::string Tga() {
  std::string t(18, '\0');
  t[2] = 2;
  t[12] = 2;
  t[14] = 1;
  t[16] = 32;
  t[17] = 0x28;  // top-left origin, 8 alpha bits
  return t + std::string("\x00\x00\xff\xff\x00\x00\x00\x00", 8);
}

struct Titled {
  explicit Titled(const std::string& titles) : app("titles") {
    PrepareFirstStart(services.AppFolder(), services);
    const std::string ini = settings::SettingsFile(app.Utf8());
    WriteIniValue("TavroFrontEndCnfig", "Titles", titles, ini);
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
  const std::vector<Case> cases = {
      {"off", {}},
      {"en",
       {"Big", "Bits", "Deep", "Mario Kart 8", "Multi Game", "Same [Dup1]", "Same [Dup2]",
        "Zelda"}},
      {"DE",
       {"Big", "Bits", "Deep", "Mario Kart 8", "Multi Game", "Same [Dup1]", "Same [Dup2]",
        "Zelda Atem"}},
      {"fr",
       {"Big", "Bits", "Deep", "Mario Kart 8", "Multi Game", "Same [Dup1]", "Same [Dup2]",
        "Zelda"}},
      {"klingon",
       {"Big", "Bits", "Deep", "Mario Kart 8", "Multi Game", "Same [Dup1]", "Same [Dup2]",
        "Zelda"}},
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
  Titled t("en");
  const std::string folder = t.Under({"lib"});
  const std::string sep(paths::kSep);
  t.Put(folder + sep + "a.wud", "disc");
  t.Put(folder + sep + "b.wux", "disc");
  t.Put(folder + sep + "junk.wua", std::string(200, 'z'));  // no archive: its file name
  // The emulator runs portable: its list beside it. The update's entry
  // shares the game's path and is not the game's name.
  t.Put(t.Under({"Emulator", "portable", "title_list_cache.xml"}),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><title_list>"
        "<title titleId=\"0005000e10101a00\" version=\"208\"><name>Zz Update</name>"
        "<path>" +
            folder + sep +
            "a.wud</path></title>"
            "<title titleId=\"0005000010101a00\" version=\"0\"><name>Zelda Disc</name>"
            "<path>" +
            folder + sep +
            "a.wud</path></title>"
            "<title titleId=\"0005000010101b00\" version=\"0\"><name>Bad\x01</name>"
            "<path>" +
            folder + sep + "b.wux</path></title></title_list>");
  std::vector<std::string> expected = {"b.wux", "junk.wua", "Zelda Disc"};
  // An archive made by the emulator's own tool (tests/core/make_wua.py):
  // named by its base game, not by its update beside it.
  const std::string made = TAVRO_TEST_WUA_DIR;
  fs::copy_file(FsPath(made + "/archived.wua"), FsPath(folder + sep + "c.wua"));
  expected.insert(expected.begin(), "Archived");
  t.form.Dir1.SetPath(folder);
  EXPECT_EQ(t.form.File1.List(), expected);
  EXPECT_EQ(t.Play("Zelda Disc"), folder + sep + "a.wud");
  EXPECT_EQ(t.Play("Archived"), folder + sep + "c.wua");
  EXPECT_EQ(t.Shown(), "rgba:160x128:255");  // its own icon from the archive
  // The icon spans a block stored as it is and a compressed one: read whole.
  const std::string icon = test::ReadAll(FsPath(made + "/icon.tga"));
  const auto read = titles::ReadWuaIcon(folder + sep + "c.wua");
  EXPECT_EQ(read.value_or("").size(), icon.size());
  EXPECT_TRUE(read == icon);  // (not EXPECT_EQ: 80 KB of noise in a failure)
  // A block that no longer decompresses gives no icon rather than a wrong one.
  std::string broken = test::ReadAll(FsPath(folder + sep + "c.wua"));
  broken[64 * 1024] ^= 0x55;  // the second block's frame header (the data come first)
  t.Put(folder + sep + "d.wua", broken);
  EXPECT_FALSE(titles::ReadWuaIcon(folder + sep + "d.wua"));
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
    bool icon;
    std::string shown;  // "default", "keep", or the picture's source under Image/
  };
  const std::vector<Case> cases = {
      {"the file's own cover first", {"Game.jpg", "0005000010101A00.jpg"}, true, "Game.jpg"},
      {"then the ID in upper case",
       {"0005000010101A00.jpg", "0005000010101a00.jpg"},
       true,
       "0005000010101A00.jpg"},
      {"then in lower case", {"0005000010101a00.jpg"}, true, "0005000010101a00.jpg"},
      {"then the icon", {}, true, "rgba:2x1:255"},
      {"nothing: the picture stays", {}, false, "keep"},
      {"a cover that is a link loop: the default", {"loop"}, true, "default"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Titled t("en");
    t.Game("G", Meta("0005000010101A00", En("Title")));
    if (c.icon)
      t.Put(t.Under({"lib", "G", "meta", "iconTex.tga"}), Tga());
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

}  // namespace
}  // namespace tavro
