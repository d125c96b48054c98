#include <gtest/gtest.h>

#include <string>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/PathLiterals.h"
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
  EXPECT_EQ(form.Dir1.Path(), Folder({"Game", "WUD_WUX"}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Load, MissingEntriesReadAsDefaultsAndEmptyOnesAsEmpty) {
  PrepareFirstStart(services.AppFolder(), services);
  WriteAll(Ini(), "[EmulatorConfig]\r\nFileExe=\r\nDirRpx=/nowhere\r\n");
  form.LoadSettings();
  const auto& s = form.Settings();
  EXPECT_EQ(s.FileExe, "");  // present and empty
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
  // A folder named like the backup; then that and the first other name taken.
  for (const bool first_taken : {false, true}) {
    SCOPED_TRACE(first_taken ? ".bak and .bak1 taken" : ".bak is a folder");
    test::TempDir dir;
    test::FakeServices local{dir.Utf8()};
    Form1 f{local};
    PrepareFirstStart(local.AppFolder(), local);
    const auto ini = dir.Path() / "Tavro_FrontEnd.ini";
    const std::string edited =
        "[TavroFrontEndCnfig]\r\nDirWudWux=" + dir.Utf8() + paths::Lit({"gone"}) + "\r\n";
    WriteAll(ini, edited);
    fs::create_directories(dir.Path() / "Tavro_FrontEnd.ini.bak" / "inside");
    if (first_taken)
      WriteAll(dir.Path() / "Tavro_FrontEnd.ini.bak1", "older");
    EXPECT_THROW(f.LoadSettings(), EndCalled);
    ASSERT_EQ(local.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(ini));  // out of the way: the next start is clean
    EXPECT_EQ(
        ReadAll(dir.Path() / (first_taken ? "Tavro_FrontEnd.ini.bak2" : "Tavro_FrontEnd.ini.bak1")),
        edited);
  }
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
