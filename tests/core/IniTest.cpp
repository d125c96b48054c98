#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "settings/Module_File_ini.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

class Ini : public ::testing::Test {
 protected:
  fs::path File() const { return dir.Path() / "Tavro_FrontEnd.ini"; }
  std::string Name() const { return Utf8(File()); }
  std::string Read(const std::string& section, const std::string& key) const {
    return ReadIniValue(section, key, "DEFAULT", Name());
  }
  test::TempDir dir;
};

TEST_F(Ini, WritesSectionsAndKeysInOrderWithCrLf) {
  EXPECT_EQ(WriteIniValue("EmulatorConfig", "FileExe", "Cemu.exe", Name()), true);
  EXPECT_EQ(ReadAll(File()), "[EmulatorConfig]\r\nFileExe=Cemu.exe\r\n");
  WriteIniValue("Other", "A", "1", Name());
  WriteIniValue("EmulatorConfig", "WinMode", "-g", Name());     // at the end of its own section
  WriteIniValue("emulatorconfig", "fileexe", "X.exe", Name());  // replaced where it stands
  EXPECT_EQ(ReadAll(File()),
            "[EmulatorConfig]\r\nfileexe=X.exe\r\nWinMode=-g\r\n[Other]\r\nA=1\r\n");
}

TEST_F(Ini, KeepsTheUsersOtherLinesWhenWriting) {
  WriteAll(File(), "; my notes\n[EmulatorConfig]\nFileExe = Cemu.exe\n\n[Mine]\nKeep=1\n");
  ASSERT_EQ(WriteIniValue("EmulatorConfig", "WinMode", "-g", Name()), true);
  EXPECT_EQ(ReadAll(File()),
            "; my notes\r\n[EmulatorConfig]\r\nFileExe = Cemu.exe\r\nWinMode=-g\r\n\r\n"
            "[Mine]\r\nKeep=1\r\n");
}

TEST_F(Ini, ReadsValuesAsWrittenWithoutTheBlanksAroundThem) {
  WriteAll(File(),
           "[S]\r\nEmpty=\r\nSpaced=   -f -g   \r\nTabbed=\tx\r\nLong=" + std::string(300, 'a') +
               "\r\nUnicode=D:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\Jeu \xC3\xA9t\xC3\xA9\r\n");
  EXPECT_EQ(Read("S", "Empty"), "");  // present and empty is not missing
  EXPECT_EQ(Read("S", "Spaced"), "-f -g");
  EXPECT_EQ(Read("s", "spaced"), "-f -g");              // names match without regard to case
  EXPECT_EQ(Read("S", "Long"), std::string(300, 'a'));  // a long path is never cut
  EXPECT_EQ(Read("S", "Unicode"),
            "D:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\Jeu \xC3\xA9t\xC3\xA9");
}

TEST_F(Ini, ReadsAHandWrittenFileAsThePlatformDoes) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string want;  // [S] K
  };
  const std::vector<Case> table = {
      {"quotes around a path go", "[S]\r\nK=\"D:\\My Games\\RPX\"\r\n", "D:\\My Games\\RPX"},
      {"single quotes too, blanks inside stay", "[S]\r\nK= ' -f -g ' \r\n", " -f -g "},
      {"quotes that do not match stay", "[S]\r\nK=\"a'\r\n", "\"a'"},
      {"one quote alone stays", "[S]\r\nK=\"\r\n", "\""},
      {"the first of two keys counts", "[S]\r\nK=first\r\nk=second\r\n", "first"},
      {"only the first section of a name", "[S]\r\nA=1\r\n[s]\r\nK=later\r\n", "DEFAULT"},
      {"blanks and tabs around names", " [\t S ] \r\n\t K \t=\tv\t\r\n", "v"},
      {"a key without = gives the default", "[S]\r\nK\r\nK=v\r\n", "DEFAULT"},
      {"lines ending in CR alone", "[S]\rX=1\rK=v\r", "v"},
      {"UTF-16 with its mark", std::string("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\xE9\0\r\0\n\0", 22),
       "\xC3\xA9"},
      {"UTF-16 big-endian", std::string("\xFE\xFF\0[\0S\0]\0\n\0K\0=\0v", 16), "v"},
      {"a comment is no key", "[S]\r\n;K=no\r\nK=yes\r\n", "yes"},
      {"UTF-16 beyond the BMP, a surrogate pair",
       std::string("\xFF\xFE[\0S\0]\0\n\0K\0=\0\x3C\xD8\xAE\xDF", 18), "\xF0\x9F\x8E\xAE"},
      {"an old editor's end-of-file mark goes", "[S]\r\nK=v\x1A", "v"},
      {"a second ] belongs to the name", "[S]]\r\nK=no\r\n[S]\r\nK=v\r\n", "v"},
      {"UTF-16, a lone low surrogate", std::string("\xFF\xFE[\0S\0]\0\n\0K\0=\0\x00\xDCv\0", 18),
       "\xEF\xBF\xBDv"},
      {"a NUL ends a value", std::string("[S]\r\nK=D:\\Games\0junk\r\n", 22), "D:\\Games"},
      {"a NUL inside quotes: no closing one", std::string("[S]\r\nK=\"v \0x\"\r\n", 15), "\"v "},
  };
  for (const auto& c : table) {
    WriteAll(File(), c.bytes);
    EXPECT_EQ(Read("S", "K"), c.want) << c.what;
  }
  // The writer changes the entry the reader reads, and keeps the rest.
  WriteAll(File(), "[S]\r\nK=first\r\nK=second\r\n[S]\r\nK=third\r\n");
  ASSERT_EQ(WriteIniValue("S", "K", "new", Name()), true);
  EXPECT_EQ(ReadAll(File()), "[S]\r\nK=new\r\nK=second\r\n[S]\r\nK=third\r\n");
  EXPECT_EQ(Read("S", "K"), "new");
}

TEST_F(Ini, ReadsEmptyAndHugeNoisyFilesWithoutHarm) {
  WriteAll(File(), "");
  EXPECT_EQ(Read("S", "K"), "DEFAULT");
  // 10 MB of noise (a fixed sequence, no line that looks like "[S]"), then
  // the entry: the whole file is read, and nothing before it gets in the way.
  std::string noise(10 * 1024 * 1024, '\0');
  std::uint32_t x = 12345;
  for (auto& c : noise) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
    if (c == '[')
      c = '.';
  }
  WriteAll(File(), noise);
  EXPECT_EQ(Read("S", "K"), "DEFAULT");
  WriteAll(File(), noise + "\r\n[S]\r\nK=found\r\n");
  EXPECT_EQ(Read("S", "K"), "found");
}

TEST_F(Ini, GivesTheDefaultForWhatIsMissingAndCreatesNothing) {
  EXPECT_EQ(Read("EmulatorConfig", "FileExe"), "DEFAULT");
  EXPECT_FALSE(fs::exists(File()));
  WriteAll(File(), "[EmulatorConfig]\r\nFileExe=Cemu.exe\r\n");
  EXPECT_EQ(Read("EmulatorConfig", "WinMode"), "DEFAULT");
  EXPECT_EQ(Read("TavroFrontEndCnfig", "DirRpx"), "DEFAULT");
  EXPECT_EQ(ReadIniValue("S", "K", "  spaced default  ", Name()), "  spaced default  ");
}

TEST_F(Ini, ReadsAFileFromAnOlderAnsiToolInItsCodePage) {
  // "Jeux é" in Windows-1252: not UTF-8, so it is read in the legacy code page.
  WriteAll(File(), "[S]\r\nDir=C:\\Jeux \xE9t\xE9\r\n");
  EXPECT_EQ(Read("S", "Dir"), "C:\\Jeux \xC3\xA9t\xC3\xA9");
  // A byte-order mark is not part of the first section's name.
  WriteAll(File(), "\xEF\xBB\xBF[S]\r\nK=v\r\n");
  EXPECT_EQ(Read("S", "K"), "v");
}

TEST_F(Ini, WritesUnicodeAsUtf8InAUnicodeFolder) {
  const auto folder =
      dir.Path() / FsPath("\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80 \xC3\xA9");
  fs::create_directory(folder);
  const auto file = Utf8(folder / "Tavro_FrontEnd.ini");
  const std::string value = "/home/\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6/Game/WUD_WUX";
  ASSERT_EQ(WriteIniValue("TavroFrontEndCnfig", "DirWudWux", value, file), true);
  EXPECT_EQ(ReadAll(folder / "Tavro_FrontEnd.ini"),
            "[TavroFrontEndCnfig]\r\nDirWudWux=" + value + "\r\n");
  EXPECT_EQ(ReadIniValue("TavroFrontEndCnfig", "DirWudWux", "", file), value);
}

TEST_F(Ini, NoFileCallTakesAPathHoldingANul) {
  // The system would read such a path up to the NUL: another name.
  WriteAll(File(), "kept");
  const std::string cut = Name() + std::string(1, '\0') + "x";
  const std::vector<std::pair<const char*, std::function<void()>>> calls = {
      {"Dir", [&] { Dir(cut, kAttrNormal); }},
      {"LookAt", [&] { LookAt(cut); }},
      {"ReadOrdinaryFile", [&] { ReadOrdinaryFile(cut, 100); }},
      {"ReplaceByName", [&] { ReplaceByName(cut, "new"); }},
      {"Name", [&] { tavro::Name(Name(), cut); }},
      {"MakeFolder", [&] { MakeFolder(cut, false); }},
  };
  for (const auto& [what, call] : calls) {
    try {
      call();
      ADD_FAILURE() << what << " took it";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kBadFileName) << what;
    }
  }
  EXPECT_EQ(ReadAll(File()), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(Ini, ReportsAFailedWriteOnlyThroughItsResult) {
  const auto missing = Utf8(dir.Path() / "no such folder" / "x.ini");
  EXPECT_EQ(WriteIniValue("S", "K", "v", missing), false);
  // A value with a line break would come back as something else: refused.
  EXPECT_EQ(WriteIniValue("S", "K", "a\r\nEvil=1", Name()), false);
  EXPECT_FALSE(fs::exists(File()));
  // Nothing is left beside the file after a write.
  ASSERT_EQ(WriteIniValue("S", "K", "v", Name()), true);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tavro
