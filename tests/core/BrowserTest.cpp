// The library browser and the cover display: drive, folder and mode changes,
// the RpxMode "code" rule, the cover name and which picture ends up shown.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "cover/CoverArt.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/Module_FirstStartApp.h"
#include "settings/Module_Load.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::WriteAll;

constexpr char kJpeg[] = "\xFF\xD8 a cover";

class Browser : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareFirstStart(services.AppFolder(), services);
    form.LoadSettings();
  }
  std::string Under(std::initializer_list<std::string_view> parts) const {
    return app.Utf8() + paths::Lit(parts);
  }
  fs::path PathOf(const std::string& utf8) const { return FsPath(utf8); }
  void Touch(std::initializer_list<std::string_view> parts, const std::string& bytes = "x") {
    const auto p = PathOf(Under(parts));
    fs::create_directories(p.parent_path());
    WriteAll(p, bytes);
  }
  const std::string& Shown() const {
    return static_cast<const test::FakePicture&>(*form.Picture1.Picture()).Source();
  }
  bool ShowsDefault() const { return form.Picture1.Picture() == form.Picture2.Picture(); }
  void Pick(const std::string& name, bool input_waiting = false) {
    const auto& list = form.File1.List();
    const auto it = std::find(list.begin(), list.end(), name);
    ASSERT_NE(it, list.end()) << name;
    view::PickFile(form, static_cast<int>(it - list.begin()), input_waiting);
  }

  test::TempDir app{"tavro browser"};
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
};

TEST(CoverName, TakesOutEveryGameExtensionExactlyAndPutsOnJpg) {
  const std::vector<std::pair<std::string, std::string>> table = {
      {"Game.wud", "Game.jpg"},
      {"Game.wux", "Game.jpg"},
      {"Game.rpx", "Game.jpg"},
      {"Game.WUD", "Game.WUD.jpg"},  // the removal minds case
      {"Game.wud.wux", "Game.jpg"},
      {"Disc.wud.Copy.wud", "Disc.Copy.jpg"},  // every occurrence
      {"a.wu.wudd", "a.wud.jpg"},              // one pass per extension, left to right
      {".rpx.wud.wux", ".jpg"},
      {"", ".jpg"},
      {"Zelda \xC3\xBC.wux", "Zelda \xC3\xBC.jpg"},
  };
  for (const auto& [file, cover] : table)
    EXPECT_EQ(CoverName(file), cover) << file;
}

TEST_F(Browser, ACoverShowsStaysWithoutOneAndResetsOnEveryChange) {
  Touch({"Game", "WUD_WUX", "Alpha.wud"});
  Touch({"Game", "WUD_WUX", "Beta.wux"});
  Touch({"Game", "WUD_WUX", "Gamma.WUD"});
  Touch({"Game", "WUD_WUX", "Delta.wud"});
  Touch({"Image", "Alpha.jpg"}, kJpeg);
  Touch({"Image", "Gamma.WUD.jpg"}, kJpeg);
  Touch({"Image", "Delta.jpg"}, "not a picture");
  fs::create_directories(PathOf(Under({"Image", "Beta.jpg"})));  // a folder is no cover
  form.File1.SetPath(Under({"Game", "WUD_WUX"}));
  ASSERT_TRUE(ShowsDefault());

  Pick("Alpha.wud");
  EXPECT_EQ(Shown(), Under({"Image", "Alpha.jpg"}));
  Pick("Beta.wux");  // no cover file: the earlier cover stays
  EXPECT_EQ(Shown(), Under({"Image", "Alpha.jpg"}));
  Pick("Gamma.WUD");
  EXPECT_EQ(Shown(), Under({"Image", "Gamma.WUD.jpg"}));
  Pick("Delta.wud");  // damaged: the default cover
  EXPECT_TRUE(ShowsDefault());

  // Every folder, mode and drive change brings the default cover back.
  const std::vector<std::function<void()>> changes = {
      [&] { form.Dir1.SetPath(Under({"Game"})); },
      [&] { view::SelectOption(form, form.Option2[1]); },
      [&] { form.Drive1_Change(); },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    view::SelectOption(form, form.Option2[0]);  // back from RpxMode: a change too
    EXPECT_TRUE(ShowsDefault()) << "change " << i;
    form.Dir1.SetPath(Under({"Game", "WUD_WUX"}));
    Pick("Alpha.wud");
    ASSERT_FALSE(ShowsDefault());
    changes[i]();
    EXPECT_TRUE(ShowsDefault()) << "change " << i;
  }
  // A game without a cover after a change keeps the default.
  form.Dir1.SetPath(Under({"Game", "WUD_WUX"}));
  Pick("Beta.wux");
  EXPECT_TRUE(ShowsDefault());
  EXPECT_TRUE(services.messages.empty());
}

// A held key: the covers of rows passed while more input waits are skipped,
// and the picture left is the one every cover decoded in turn would leave.
TEST_F(Browser, CoversOfRowsPassedWhileInputWaitsAreSkipped) {
  for (const char* game : {"A.wud", "B.wud", "C.wud", "D.wud"})
    Touch({"Game", "WUD_WUX", game});
  Touch({"Image", "A.jpg"}, kJpeg);  // B has no cover
  Touch({"Image", "C.jpg"}, kJpeg);
  Touch({"Image", "D.jpg"}, "not a picture");
  form.File1.SetPath(Under({"Game", "WUD_WUX"}));
  struct Row {
    std::vector<std::string> picks;  // "A" with input waiting, "a" without
    std::string shown;               // "" the default cover
    std::vector<std::string> decoded;
  };
  const std::vector<Row> table = {
      {{"a", "b", "c"}, "C", {"A", "C"}},  // nothing waits: every cover
      {{"A", "B", "C", "b"}, "C", {"C"}},
      {{"A", "B"}, "A", {"A"}},  // the input left was no selection
      {{"C", "D", "b"}, "", {"D"}},
      {{"A", "-"}, "", {}},  // a mode change shows the default cover first
  };
  for (const auto& row : table) {
    form.Option2_Click(0);
    services.fitted.clear();
    for (const auto& pick : row.picks) {
      if (pick == "-") {
        form.Option2_Click(0);
        continue;
      }
      Pick(std::string(1, static_cast<char>(std::toupper(pick[0]))) + ".wud",
           std::isupper(pick[0]) != 0);
    }
    // The view makes what waits only when the last input held no selection.
    if (std::islower(row.picks.back()[0]) == 0)
      view::ShowWaitingCover(form);
    EXPECT_FALSE(view::CoverWaiting(form));
    std::vector<std::string> decoded;
    for (const auto& name : row.decoded)
      decoded.push_back(Under({"Image", name + ".jpg"}) + " 201x113");
    EXPECT_EQ(services.fitted, decoded) << row.picks.size() << " picks ending " << row.picks.back();
    EXPECT_EQ(ShowsDefault() ? "" : Shown(),
              row.shown.empty() ? "" : Under({"Image", row.shown + ".jpg"}));
  }
}

TEST_F(Browser, RpxModeListsTheCodeFolderOrTheFolderItself) {
  Touch({"Game", "RPX", "Puzzle", "code", "Puzzle.rpx"});
  Touch({"Game", "RPX", "Puzzle", "code", "readme.txt"});
  Touch({"Game", "RPX", "Loose", "Loose.RPX"});
  Touch({"Game", "RPX", "Loose", "Game.wud"});
  view::SelectOption(form, form.Option2[1]);
  EXPECT_EQ(form.Frame1.Caption(), "Games *.rpx");
  EXPECT_EQ(form.File1.Pattern(), "*.rpx");
  EXPECT_EQ(form.Dir1.Path(), Under({"Game", "RPX"}));
  EXPECT_EQ(form.File1.Path(), Under({"Game", "RPX"}));  // no code/ under the root
  EXPECT_TRUE(form.File1.List().empty());

  form.Dir1.SetPath(Under({"Game", "RPX", "Puzzle"}));
  EXPECT_EQ(form.File1.Path(), Under({"Game", "RPX", "Puzzle", "code"}));
  EXPECT_EQ(form.File1.List(), std::vector<std::string>{"Puzzle.rpx"});
  form.Dir1.SetPath(Under({"Game", "RPX", "Loose"}));
  EXPECT_EQ(form.File1.Path(), Under({"Game", "RPX", "Loose"}));
  EXPECT_EQ(form.File1.List(), std::vector<std::string>{"Loose.RPX"});

  view::SelectOption(form, form.Option2[0]);
  EXPECT_EQ(form.Frame1.Caption(), "Games *.wud *.wux");
  EXPECT_EQ(form.File1.Pattern(), "*.wux;*.wud");
  EXPECT_EQ(form.Dir1.Path(), Under({"Game", "WUD_WUX"}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Browser, AModeSwitchOntoTheFolderShownOnlyChangesTheFilter) {
  Touch({"Game", "WUD_WUX", "Disc.wud"});
  Touch({"Game", "WUD_WUX", "Unpacked.rpx"});
  form.File1.SetPath(form.Dir1.Path());
  form.Settings().DirRpx = form.Settings().DirWudWux;
  int folder_changes = 0;
  const auto change = form.Dir1.Change;
  form.Dir1.Change = [&] {
    ++folder_changes;
    change();
  };
  Pick("Disc.wud");
  view::SelectOption(form, form.Option2[1]);
  EXPECT_EQ(folder_changes, 0);
  EXPECT_EQ(form.File1.Path(), Under({"Game", "WUD_WUX"}));
  EXPECT_EQ(form.File1.List(), std::vector<std::string>{"Unpacked.rpx"});
  EXPECT_EQ(form.File1.FileName(), "");
  EXPECT_TRUE(ShowsDefault());
}

TEST_F(Browser, AModeSwitchToAMissingFolderKeepsTheWindowAndSaysWhich) {
  Touch({"Game", "WUD_WUX", "Disc.wud"});
  const std::string missing = Under({"Moved away"});
  form.Settings().DirRpx = missing;
  view::SelectOption(form, form.Option2[1]);
  // Caption and filter are the new mode's; the lists stay where they were.
  EXPECT_EQ(form.Frame1.Caption(), "Games *.rpx");
  EXPECT_EQ(form.File1.Pattern(), "*.rpx");
  EXPECT_EQ(form.Dir1.Path(), Under({"Game", "WUD_WUX"}));
  EXPECT_EQ(form.File1.Path(), Under({"Game", "WUD_WUX"}));
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].title, "Error");
  EXPECT_NE(services.messages[0].prompt.find(missing), std::string::npos);
  EXPECT_TRUE(std::find(services.calls.begin(), services.calls.end(), "End") ==
              services.calls.end());
}

TEST_F(Browser, ADriveThatCannotBeShownFallsBackOnceAndQuietly) {
  const std::string fallback = services.FallbackDrive();
  const std::string gone = Under({"unplugged"});
  services.drives = {fallback, gone};
  form.Drive1.SetDrives(services.drives);
  form.Drive1.SelectInitial(fallback);
  view::PickDrive(form, 1);
  EXPECT_EQ(form.Drive1.Drive(), fallback);
  EXPECT_EQ(DriveOfPath({fallback}, form.Dir1.Path()), fallback);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_TRUE(ShowsDefault());

  // The fallback drive failing too: it is selected once more, which is no
  // change, and everything ends without a word.
  const std::string also_gone = Under({"also unplugged"});
  services.drives = {also_gone, gone};
  form.Drive1.SetDrives(services.drives);
  form.Drive1.SelectInitial(gone);
  int runs = 0;
  const auto change = form.Drive1.Change;
  form.Drive1.Change = [&] {
    ++runs;
    change();
  };
  form.Drive1.SetDrive(also_gone);  // raises Change: the drive itself fails
  EXPECT_EQ(runs, 1);
  form.Drive1.SelectInitial(gone);
  form.Drive1_Change();  // "gone" fails, falls back to "also gone", which fails: one nesting
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(form.Drive1.Drive(), also_gone);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Browser, OpeningTheDriveListReadsItAgainAndKeepsTheChoice) {
  const std::string mine = form.Drive1.Drive();
  const std::string later = Under({"stick"});
  services.drives = {later, mine};
  int changes = 0;
  form.Drive1.Change = [&] { ++changes; };
  view::DriveListOpening(form);
  EXPECT_EQ(form.Drive1.List(), services.drives);
  EXPECT_EQ(form.Drive1.Drive(), mine);
  services.drives = {later};  // the drive shown went away: it stays listed while shown
  view::DriveListOpening(form);
  EXPECT_EQ(form.Drive1.Drive(), mine);
  EXPECT_EQ(changes, 0);
}

TEST_F(Browser, FoldersOpenByIndexWhateverTheirNamesBytes) {
  if (paths::kDriveLetters)
    GTEST_SKIP() << "Windows names are UTF-16; no name can be invalid there";
  // A folder name that is not UTF-8 (Latin-1 "é" alone), as old archives make.
  const std::string odd = Under({"Game", "WUD_WUX"}) + paths::Lit({"Caf\xE9"});
  fs::create_directories(FsPath(odd));
  WriteAll(FsPath(odd) / "In.wud", "x");
  form.Dir1.SetPath(Under({"Game"}));
  form.Dir1.SetPath(Under({"Game", "WUD_WUX"}));
  const auto& list = form.Dir1.List();
  int index = -1;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].path == odd)
      index = static_cast<int>(i);
  }
  ASSERT_GE(index, 0);
  view::OpenFolder(form, index);
  EXPECT_EQ(form.Dir1.Path(), odd);
  EXPECT_EQ(form.File1.List(), std::vector<std::string>{"In.wud"});
  EXPECT_TRUE(services.messages.empty());
}

TEST(FitPicture, ScalesToTheBoxKeepingTheShapeCentred) {
  struct Case {
    int w, h, bw, bh;
    view::Rect want;
  };
  const std::vector<Case> table = {
      {201, 113, 201, 113, {0, 0, 201, 113}},   // the box's own size: 1:1
      {402, 226, 201, 113, {0, 0, 201, 113}},   // same shape, larger
      {100, 100, 201, 113, {44, 0, 113, 113}},  // square: bars left and right
      {800, 100, 201, 113, {0, 44, 201, 25}},   // wide: bars above and below
      {20, 10, 200, 200, {0, 50, 200, 100}},    // small ones grow
      {20000, 1, 201, 113, {0, 56, 201, 1}},    // never thinner than a pixel
      {0, 10, 201, 113, {0, 0, 0, 0}},          // nothing to draw
      {201, 113, 302, 170, {0, 0, 302, 170}},   // the box at 144 DPI
  };
  for (const auto& c : table) {
    const auto r = view::FitPicture(c.w, c.h, c.bw, c.bh);
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.width, r.height}),
              (std::vector<int>{c.want.left, c.want.top, c.want.width, c.want.height}))
        << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh;
  }
}

TEST(DiscPatternKey, ChoosesTheDiscListItsCaptionAndCoversAndRefusesWhatListsAnything) {
  // The line under [TavroFrontEndCnfig]; Frame1's caption, the disc-image
  // list (after a switch to .rpx and back too), the cover its last game shows.
  const std::string kDefault = "Games *.wud *.wux|A.wud B.wux|B.jpg";
  const std::pair<const char*, std::string> table[] = {
      {"", kDefault},
      {"DiscPattern=*.wud;*.wux;*.wua;*.wuhb;*.iso",
       "Games *.wud *.wux *.wua *.wuhb *.iso|A.wud B.wux C.wua D.wuhb E.wud.iso|E.jpg"},
      {"DiscPattern= *.WUA ;x?.iso", "Games *.WUA x?.iso|C.wua|logo"},  // exact case, as .wud
      {"DiscPattern=", kDefault},
      {"DiscPattern=*", kDefault},
      {"DiscPattern=*.*", kDefault},
      {"DiscPattern=?*;*.wua", kDefault},
      {"DiscPattern=*.wua;", kDefault},
      {"DiscPattern=*.wua;;*.iso", kDefault},
      {"DiscPattern=../*.wua", kDefault},
      {"DiscPattern=*.wud;\t*.wua\t", "Games *.wud *.wua|A.wud C.wua|C.jpg"},  // tabs go too
      {"DiscPattern=*.wu*", "Games *.wu*|A.wud B.wux C.wua D.wuhb E.wud.iso H.wu|logo"},
  };
  for (const auto& [line, want] : table) {
    test::TempDir app;
    test::FakeServices services{app.Utf8()};
    Form1 form{services};
    PrepareFirstStart(services.AppFolder(), services);
    std::ofstream(app.Path() / "Tavro_FrontEnd.ini", std::ios::app) << line << "\r\n";
    for (const char* name : {"Game/WUD_WUX/A.wud", "Game/WUD_WUX/B.wux", "Game/WUD_WUX/C.wua",
                             "Game/WUD_WUX/D.wuhb", "Game/WUD_WUX/E.wud.iso", "Game/WUD_WUX/F.txt",
                             "Game/WUD_WUX/H.wu", "Image/B.jpg", "Image/C.jpg", "Image/E.jpg"})
      WriteAll(app.Path() / name, kJpeg);
    fs::create_directories(app.Path() / "Game/WUD_WUX/G.wua");  // a folder: never listed
    form.LoadSettings();
    view::SelectOption(form, form.Option2[1]);
    view::SelectOption(form, form.Option2[0]);
    view::PickFile(form, static_cast<int>(form.File1.List().size()) - 1);
    std::string got = form.Frame1.Caption() + "|";
    for (const auto& name : form.File1.List())
      got += (got.back() == '|' ? "" : " ") + name;
    const auto& cover = static_cast<const test::FakePicture&>(*form.Picture1.Picture()).Source();
    EXPECT_EQ(got + "|" + Utf8(FsPath(cover).filename()), want) << line;
    EXPECT_EQ(form.Label2.Caption(), "*.wud *.wux");
  }
}

}  // namespace
}  // namespace tavro
