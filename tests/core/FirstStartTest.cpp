#include <gtest/gtest.h>

#include <string>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_FirstStartApp.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

// The settings file a first start writes, for a given program folder.
std::string FreshSettings(const std::string& app) {
  const auto sep = std::string(paths::kSep);
  return "[EmulatorConfig]\r\nFileExe=Cemu.exe\r\nWinMode=-g\r\nFullMode=-f -g\r\n"
         "[TavroFrontEndCnfig]\r\nDirRpx=" +
         app + sep + "Game" + sep + "RPX\r\nDirWudWux=" + app + sep + "Game" + sep + "WUD_WUX\r\n";
}

class FirstStart : public ::testing::Test {
 protected:
  fs::path At(const char* relative) const { return app.Path() / relative; }
  test::TempDir app{"tavro app"};  // a blank in the program's folder
  test::FakeServices services{app.Utf8()};
};

TEST_F(FirstStart, MakesTheTreeAndTheSettingsFileWithExactBytes) {
  PrepareFirstStart(services.AppFolder(), services);
  for (const char* folder : {"Game", "Game/RPX", "Game/WUD_WUX", "Emulator", "Image"}) {
    EXPECT_TRUE(fs::is_directory(At(folder))) << folder;
  }
  EXPECT_EQ(ReadAll(At("Tavro_FrontEnd.ini")), FreshSettings(app.Utf8()));
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(app.Path()), fs::directory_iterator()), 4);
}

TEST_F(FirstStart, ASecondStartWritesNothingEvenToAnIncompleteFile) {
  PrepareFirstStart(services.AppFolder(), services);
  test::WriteAll(At("Tavro_FrontEnd.ini"), "[EmulatorConfig]\r\nFileExe=Mine.exe\r\n");
  PrepareFirstStart(services.AppFolder(), services);
  EXPECT_EQ(ReadAll(At("Tavro_FrontEnd.ini")), "[EmulatorConfig]\r\nFileExe=Mine.exe\r\n");
  test::WriteAll(At("Tavro_FrontEnd.ini"), "");
  PrepareFirstStart(services.AppFolder(), services);
  EXPECT_EQ(ReadAll(At("Tavro_FrontEnd.ini")), "");  // an empty file stays empty
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(FirstStart, RemakesADeletedGameTreeAndNothingElse) {
  PrepareFirstStart(services.AppFolder(), services);
  test::WriteAll(At("Tavro_FrontEnd.ini"), "[Kept]\r\n");
  test::WriteAll(At("Image/cover.jpg"), "x");
  fs::remove_all(At("Game"));
  PrepareFirstStart(services.AppFolder(), services);
  EXPECT_TRUE(fs::is_directory(At("Game/RPX")));
  EXPECT_TRUE(fs::is_directory(At("Game/WUD_WUX")));
  EXPECT_EQ(ReadAll(At("Tavro_FrontEnd.ini")), "[Kept]\r\n");
  EXPECT_TRUE(fs::exists(At("Image/cover.jpg")));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(FirstStart, AFileNamedGameStopsTheRestWithOneMessage) {
  test::WriteAll(At("Game"), "not a folder");
  PrepareFirstStart(services.AppFolder(), services);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, "Error in Create Folders and Ini File");
  EXPECT_EQ(services.messages[0].title, "Error");
  EXPECT_TRUE(fs::is_regular_file(At("Game")));  // left alone
  for (const char* later : {"Emulator", "Image", "Tavro_FrontEnd.ini"}) {
    EXPECT_FALSE(fs::exists(At(later))) << later;
  }
}

TEST_F(FirstStart, AProgramFolderThatIsGoneGivesTheMessage) {
  test::FakeServices gone{test::TempDir::Utf8Of(app, "removed")};
  PrepareFirstStart(gone.AppFolder(), gone);
  ASSERT_EQ(gone.messages.size(), 1u);
  EXPECT_EQ(gone.messages[0].prompt, "Error in Create Folders and Ini File");
}

}  // namespace
}  // namespace tavro
