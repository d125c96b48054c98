#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/Module_FirstStartApp.h"
#include "settings/Module_Load.h"
#include "window/Form1.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::EndCalled;
using test::ReadAll;
using test::WriteAll;

constexpr const char* kLoadFailed =
    "Error in Load Tavro_FrontEnd.ini! Reset and ReStart Tavro RazozEze.";
constexpr const char* kResetFailed = "Error in Reset Tavro RazozEze.";

class Load : public ::testing::Test {
 protected:
  fs::path Ini() const { return app.Path() / "Tavro_FrontEnd.ini"; }
  fs::path Backup() const { return app.Path() / "Tavro_FrontEnd.ini.bak"; }
  std::string Folder(std::initializer_list<std::string_view> parts) const {
    return app.Utf8() + paths::Lit(parts);
  }
  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
};

TEST_F(Load, AfterAFirstStartHoldsTheWrittenValuesAndShowsTheDiscFolder) {
  PrepareFirstStart(services.AppFolder(), services);
  form.LoadSettings();
  const auto& s = form.Settings();
  EXPECT_EQ(s.FileExe, "Cemu.exe");
  EXPECT_EQ(s.WinMode, "-g");
  EXPECT_EQ(s.FullMode, "-f -g");
  EXPECT_EQ(s.DirRpx, Folder({"Game", "RPX"}));
  EXPECT_EQ(s.DirWudWux, Folder({"Game", "WUD_WUX"}));
  EXPECT_EQ(s.Flatpak, "");  // never written at first start
  EXPECT_EQ(form.Dir1.Path(), Folder({"Game", "WUD_WUX"}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Load, MissingEntriesReadAsDefaultsAndEmptyOnesAsEmpty) {
  PrepareFirstStart(services.AppFolder(), services);
  WriteAll(Ini(), "[EmulatorConfig]\r\nFileExe=\r\nDirRpx=/nowhere\r\nFlatpak=info.cemu.Cemu\r\n");
  form.LoadSettings();
  const auto& s = form.Settings();
  EXPECT_EQ(s.FileExe, "");  // present and empty
  EXPECT_EQ(s.Flatpak, "info.cemu.Cemu");
  EXPECT_EQ(s.WinMode, "-g");
  EXPECT_EQ(s.DirRpx, Folder({"Game", "RPX"}));  // the key is in another section
  EXPECT_EQ(form.Dir1.Path(), Folder({"Game", "WUD_WUX"}));
  WriteAll(Ini(), "[TavroFrontEndCnfig]\r\nDirRpx=" + Folder({"nowhere"}) + "\r\n");
  Form1 again{services};
  again.LoadSettings();  // a missing DirRpx folder is no failure
  EXPECT_EQ(again.Settings().DirRpx, Folder({"nowhere"}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Load, TheControllerEntriesAreOptional) {
  PrepareFirstStart(services.AppFolder(), services);
  const std::string fresh = ReadAll(Ini());
  form.LoadSettings();
  EXPECT_EQ(form.Controller().combo, PadBits({PadButton::kBack, PadButton::kStart}));
  EXPECT_EQ(form.Controller().hold_ms, 1000);
  EXPECT_EQ(fresh.find("Controller"), std::string::npos);  // never written at first start
  WriteAll(Ini(), fresh + "[Controller]\r\nCloseCombo=\r\nHoldMs=300\r\n");
  Form1 again{services};
  again.LoadSettings();
  EXPECT_EQ(again.Controller().combo, 0u);  // empty: off
  EXPECT_EQ(again.Controller().hold_ms, 300);
}

TEST_F(Load, WithoutASettingsFileReadsNothingAndSaysNothing) {
  form.LoadSettings();
  const auto& s = form.Settings();
  EXPECT_EQ(s.FileExe + s.WinMode + s.FullMode + s.DirRpx + s.DirWudWux, "");
  EXPECT_EQ(form.Dir1.Path(), "");
  EXPECT_TRUE(services.messages.empty());
  EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(Load, AMissingDiscFolderSetsTheFileAsideEndsAndTheNextStartIsClean) {
  PrepareFirstStart(services.AppFolder(), services);
  const std::string edited = "[TavroFrontEndCnfig]\r\nDirWudWux=" + Folder({"gone"}) + "\r\n";
  WriteAll(Ini(), edited);
  WriteAll(Backup(), "an older backup");
  EXPECT_THROW(form.LoadSettings(), EndCalled);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, kLoadFailed);
  EXPECT_EQ(services.messages[0].title, "Error");
  EXPECT_EQ(services.calls.back(), "End");
  EXPECT_FALSE(fs::exists(Ini()));
  EXPECT_EQ(ReadAll(Backup()), edited);  // the user's edits are kept

  test::FakeServices next{app.Utf8()};
  Form1 form2{next};
  PrepareFirstStart(next.AppFolder(), next);
  form2.LoadSettings();
  EXPECT_TRUE(next.messages.empty());
  EXPECT_EQ(form2.Dir1.Path(), Folder({"Game", "WUD_WUX"}));
  EXPECT_EQ(form2.Settings().FileExe, "Cemu.exe");
}

TEST_F(Load, AFolderValueReadsTheSameWayForBothKeysWhereverTheProgramWasStarted) {
  PrepareFirstStart(services.AppFolder(), services);
  fs::create_directories(app.Path() / "Game" / "x");
  const std::string x = Folder({"Game", "x"});
  const std::string nul(1, '\0');
  struct Row {
    const char* what;
    std::string value;
    std::string want;
    bool drives_only;
  };
  const Row rows[] = {
      {"relative: from the program's folder, not the working one", "Game/x",
       app.Utf8() + std::string(paths::kSep) + "Game/x", false},
      {"relative with backslashes", "Game\\x", app.Utf8() + "\\Game\\x", true},
      {"absolute, as written", x, x, false},
      {"a NUL ends it", x + nul + "junk", x, false},
      {"a NUL inside quotes ends it too", "\"" + x + "\"" + nul + "junk\"", x, false},
      {"the long-path form reads as its path", "\\\\?\\" + x, x, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.drives_only && !paths::kDriveLetters)
      continue;
    WriteAll(Ini(),
             "[TavroFrontEndCnfig]\r\nDirRpx=" + row.value + "\r\nDirWudWux=" + row.value + "\r\n");
    test::FakeServices local{app.Utf8()};
    Form1 f{local};
    f.LoadSettings();  // a reset would end it
    EXPECT_TRUE(local.messages.empty());
    EXPECT_EQ(f.Settings().DirRpx, row.want);
    EXPECT_EQ(f.Settings().DirWudWux, row.want);
    EXPECT_EQ(FsPath(f.Dir1.Path()), FsPath(x).lexically_normal());
  }
}

TEST_F(Load, AFileOverTheSizeCapIsSetAsideLikeADamagedOne) {
  PrepareFirstStart(services.AppFolder(), services);
  const std::string fresh = ReadAll(Ini());
  struct Row {
    std::size_t size;
    bool loads;
  } const rows[] = {{kMaxSettingsBytes, true}, {kMaxSettingsBytes + 1, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    // A comment line fills the file up to the size.
    WriteAll(Ini(), fresh + ";" + std::string(row.size - fresh.size() - 3, 'x') + "\r\n");
    fs::remove(Backup());
    test::FakeServices local{app.Utf8()};
    Form1 f{local};
    if (row.loads) {
      f.LoadSettings();
      EXPECT_EQ(f.Settings().FileExe, "Cemu.exe");
      EXPECT_TRUE(local.messages.empty());
      continue;
    }
    EXPECT_THROW(f.LoadSettings(), EndCalled);
    ASSERT_EQ(local.messages.size(), 1u);
    EXPECT_EQ(local.messages[0].prompt, kLoadFailed);
    EXPECT_FALSE(fs::exists(Ini()));
    EXPECT_EQ(fs::file_size(Backup()), row.size);
  }
}

TEST_F(Load, AnEmptyDiscFolderValueIsAFolderItCannotShow) {
  PrepareFirstStart(services.AppFolder(), services);
  WriteAll(Ini(), "[TavroFrontEndCnfig]\r\nDirWudWux=\r\n");
  EXPECT_THROW(form.LoadSettings(), EndCalled);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, kLoadFailed);
  EXPECT_TRUE(fs::exists(Backup()));
}

TEST_F(Load, AFileThatCannotBeSetAsideGivesBothMessagesAndStays) {
  PrepareFirstStart(services.AppFolder(), services);
  const std::string edited = "[TavroFrontEndCnfig]\r\nDirWudWux=" + Folder({"gone"}) + "\r\n";
  WriteAll(Ini(), edited);
  test::MakeReadOnly(Ini());
  EXPECT_THROW(form.LoadSettings(), EndCalled);
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0].prompt, kLoadFailed);
  EXPECT_EQ(services.messages[1].prompt, kResetFailed);
  EXPECT_EQ(services.messages[1].title, "Error");
  EXPECT_EQ(ReadAll(Ini()), edited);
  EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(Load, AnOldBackupInTheWayNeverBlocksTheReset) {
  // Under .bak, .bak1, ...: "d" a folder, "f" a file, "r" a read-only file,
  // "l" a link to a file elsewhere, "k" a file held open (Windows: it cannot
  // be replaced). When all are taken the oldest writable file makes room;
  // .bak4 is the oldest entry of all, and when it is no such file it is
  // passed over. When none is a file the reset fails.
  struct Row {
    const char* taken;
    int to;
  } const rows[] = {{"d", 1},          {"dd", 2},         {"df", 2},
                    {"dffffffff", 9},  {"dfffffffff", 4}, {"dddddddddd", -1},
                    {"dfffdfffff", 9}, {"dfffrfffff", 9}, {"dffflfffff", 9},
                    {"r", 1},          {"k", 1},          {"rf", 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.taken);
    const std::string_view taken = row.taken;
    if (!paths::kPathsAreBytes && taken.find('l') != std::string_view::npos)
      continue;  // a link of one's own needs a privilege on Windows
    if (paths::kPathsAreBytes && taken.find('k') != std::string_view::npos)
      continue;  // an open file is no obstacle to a rename here
    test::TempDir dir;
    test::FakeServices local{dir.Utf8()};
    Form1 f{local};
    PrepareFirstStart(local.AppFolder(), local);
    const auto ini = dir.Path() / "Tavro_FrontEnd.ini";
    const auto bak = [&](int n) { return fs::path(ini) += ".bak" + (n ? std::to_string(n) : ""); };
    const std::string edited =
        "[TavroFrontEndCnfig]\r\nDirWudWux=" + dir.Utf8() + paths::Lit({"gone"}) + "\r\n";
    WriteAll(ini, edited);
    const auto outside = dir.Path() / "outside";
    WriteAll(outside, "elsewhere");
    for (int n = 0; row.taken[n]; ++n) {
      const auto age = std::chrono::hours(n == 4 ? 99 : n);
      std::error_code ec;
      switch (row.taken[n]) {
        case 'd':
          fs::create_directories(bak(n) / "inside");
          fs::last_write_time(bak(n), fs::file_time_type::clock::now() - age, ec);
          break;
        case 'l': {
          fs::create_symlink(outside, bak(n));
          // The link's own time, not its target's.
          const std::string touch =
              "touch -h -d '-" + std::to_string(age.count()) + " hours' '" + Utf8(bak(n)) + "'";
          ASSERT_EQ(std::system(touch.c_str()), 0);
          break;
        }
        default:
          WriteAll(bak(n), "older");
          fs::last_write_time(bak(n), fs::file_time_type::clock::now() - age);
          if (row.taken[n] == 'r')
            test::MakeReadOnly(bak(n));
      }
    }
    std::vector<std::unique_ptr<std::ifstream>> held;
    for (int n = 0; row.taken[n]; ++n) {
      if (row.taken[n] == 'k')
        held.push_back(std::make_unique<std::ifstream>(bak(n)));
    }
    EXPECT_THROW(f.LoadSettings(), EndCalled);
    held.clear();
    ASSERT_EQ(local.messages.size(), row.to < 0 ? 2u : 1u);
    EXPECT_EQ(ReadAll(row.to < 0 ? ini : bak(row.to)), edited);
    EXPECT_EQ(fs::exists(ini), row.to < 0);
    for (int n = 0; row.taken[n]; ++n) {
      EXPECT_EQ(fs::exists(bak(n) / "inside"), row.taken[n] == 'd');
      if (row.taken[n] == 'r' || row.taken[n] == 'k') {
        EXPECT_EQ(ReadAll(bak(n)), "older");
      }
      EXPECT_EQ(fs::is_symlink(bak(n)), row.taken[n] == 'l');
    }
    EXPECT_EQ(ReadAll(outside), "elsewhere");
  }
}

TEST(NonUtf8Folder, StartsEveryTimeAndAPathThatNamesNothingIsWindows1252) {
  if (!paths::kPathsAreBytes)
    GTEST_SKIP() << "Windows names are UTF-16; no name can be invalid there";
  test::TempDir app("tavro-\xE9t\xE9-\xFF");  // Latin-1 in the folder's name
  const std::string discs = app.Utf8() + "/Game/WUD_WUX";
  for (int start = 0; start < 3; ++start) {
    test::FakeServices services{app.Utf8()};
    Form1 form{services};
    PrepareFirstStart(services.AppFolder(), services);
    form.LoadSettings();  // a reset would end it
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form.Dir1.Path(), discs);
    EXPECT_EQ(form.Settings().DirRpx, app.Utf8() + "/Game/RPX");
  }
  const auto ini = app.Path() / "Tavro_FrontEnd.ini";
  EXPECT_NE(ReadAll(ini).find("\r\nDirWudWux=" + discs + "\r\n"), std::string::npos);
  // One value per line decides: a folder that is there keeps its bytes, one
  // that is not and every other value read as an older tool wrote them.
  WriteAll(ini, "[TavroFrontEndCnfig]\r\nDirRpx=/gone/caf\xE9\r\nDirWudWux=" + discs +
                    "\r\n[Other]\r\nKey=caf\xE9\r\n");
  EXPECT_EQ(ReadIniValue("TavroFrontEndCnfig", "DirRpx", "", Utf8(ini)), "/gone/caf\u00e9");
  EXPECT_EQ(ReadIniValue("TavroFrontEndCnfig", "DirWudWux", "", Utf8(ini)), discs);
  EXPECT_EQ(ReadIniValue("Other", "Key", "", Utf8(ini)), "caf\u00e9");
}

TEST_F(Load, ABoxThatCannotBeShownStillEndsTheStart) {
  PrepareFirstStart(services.AppFolder(), services);
  WriteAll(Ini(), "[TavroFrontEndCnfig]\r\nDirWudWux=" + Folder({"gone"}) + "\r\n");
  services.on_message = [](const test::FakeServices::Message&) {
    throw RuntimeError(5, "cannot show");
  };
  EXPECT_THROW(form.LoadSettings(), EndCalled);
}

TEST_F(Load, AFailingFirstMessageCountsAsAFailedReset) {
  PrepareFirstStart(services.AppFolder(), services);
  WriteAll(Ini(), "[TavroFrontEndCnfig]\r\nDirWudWux=" + Folder({"gone"}) + "\r\n");
  services.on_message = [](const test::FakeServices::Message& m) {
    if (m.prompt == kLoadFailed)
      throw RuntimeError(5, "cannot show");
  };
  EXPECT_THROW(form.LoadSettings(), EndCalled);
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1].prompt, kResetFailed);
  EXPECT_TRUE(fs::exists(Ini()));
}

}  // namespace
}  // namespace tavro
