// The file services and the settings file with Unicode paths on Windows.
// Every check of what landed on disk goes through the W functions directly.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "runtime/Files.h"
#include "settings/Module_File_ini.h"

namespace tavro::test {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

class UnicodePaths : public testing::Test {
 protected:
  TestServices services_;
  TempFolder root_{"Tavro テスト été ü"};
};

TEST_F(UnicodePaths, MkDirAndDirKeepEveryCharacter) {
  const std::string sub = root_ / "Jeux ゲーム ñ";
  MakeFolder(sub, false);
  EXPECT_TRUE(Contains(ListFolder(root_.Path()), "Jeux ゲーム ñ"));
  EXPECT_EQ(Dir(sub, kAttrDirectory), "Jeux ゲーム ñ");
  EXPECT_EQ(Dir(sub, kAttrNormal), "");  // a folder is no ordinary file
  EXPECT_EQ(Dir(sub + "\\", kAttrDirectory), "Jeux ゲーム ñ");
  EXPECT_EQ(Dir(root_ / "Jeux ゲーム n", kAttrDirectory), "");

  EXPECT_THROW(MakeFolder(sub, false), RuntimeError);  // already there
  EXPECT_THROW(MakeFolder(root_ / "missing é\\child", false), RuntimeError);
}

TEST_F(UnicodePaths, PrintToFileWritesUtf8TextAndCrLfAndEmptiesTheFile) {
  const std::string file = root_ / "café ü ゼルダ.txt";
  PrintToFile(file, "Zelda ゼルダ é");
  EXPECT_TRUE(Contains(ListFolder(root_.Path()), "café ü ゼルダ.txt"));
  EXPECT_EQ(ReadFileBytes(file), "Zelda ゼルダ \xC3\xA9\r\n");
  EXPECT_EQ(Dir(file, kAttrNormal), "café ü ゼルダ.txt");

  PrintToFile(file, "x");
  EXPECT_EQ(ReadFileBytes(file), "x\r\n");
  EXPECT_THROW(PrintToFile(root_ / "missing é\\a.txt", "x"), RuntimeError);
}

TEST_F(UnicodePaths, KillDeletesAndFailsOnAMissingFile) {
  const std::string file = root_ / "Mario マリオ.rpx";
  WriteFileBytes(file, "data");
  Kill(file);
  EXPECT_FALSE(Exists(file));
  EXPECT_THROW(Kill(file), RuntimeError);
}

// The name a program started from a path runs under, which Esc ends by
// (trailing dots and blanks: the core's table, under Wine too).
TEST_F(UnicodePaths, ResolvedFileNameIsTheFilesLongName) {
  const std::string file = root_ / "Emulator folder é\\Cemu Long ü.exe";
  MakeFolder(root_ / "Emulator folder é", false);
  WriteFileBytes(file, "MZ");
  wchar_t short_name[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(Wide(file).c_str(), short_name, MAX_PATH), 0u);
  // The 8.3 names of the folder and the file (the long ones on a volume
  // that keeps none); where no file is, the name as written, less its dot.
  EXPECT_EQ(ResolvedFileName(Utf8(short_name)), "Cemu Long ü.exe");
  EXPECT_EQ(ResolvedFileName(root_ / "CEMU~1.EXE."), "CEMU~1.EXE");
}

TEST_F(UnicodePaths, NameReplacesAnExistingTarget) {
  const std::string from = root_ / "réglages 設定.ini";
  const std::string to = root_ / "réglages 設定.bak";
  WriteFileBytes(from, "new");
  WriteFileBytes(to, "old backup");
  Name(from, to);
  EXPECT_FALSE(Exists(from));
  EXPECT_EQ(ReadFileBytes(to), "new");

  // And to a name not yet taken.
  Name(to, from);
  EXPECT_EQ(ReadFileBytes(from), "new");
  EXPECT_FALSE(Exists(to));
  EXPECT_THROW(Name(root_ / "missing ü.ini", to), RuntimeError);
}

TEST_F(UnicodePaths, AReadOnlyFileIsNeitherDeletedNorRenamed) {
  const std::string file = root_ / "verrouillé ロック.ini";
  const std::string to = root_ / "verrouillé ロック.bak";
  WriteFileBytes(file, "keep");
  ASSERT_TRUE(SetFileAttributesW(Wide(file).c_str(), FILE_ATTRIBUTE_READONLY));

  try {
    Kill(file);
    ADD_FAILURE() << "Kill removed a read-only file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kPermissionDenied);
  }
  EXPECT_THROW(Name(file, to), RuntimeError);
  EXPECT_EQ(ReadFileBytes(file), "keep");
  EXPECT_FALSE(Exists(to));
}

// The settings file, read and written through SimpleIni on Windows too.
class SettingsFile : public UnicodePaths {};

TEST_F(SettingsFile, WritesExactUtf8BytesWithCrLfAndReadsThemBack) {
  const std::string file = root_ / "Tavro 設定 é.ini";
  const std::string path = "C:\\Jeux ゲーム\\Cemu é\\Cemu.exe";
  ASSERT_EQ(WriteIniValue("Emulator", "Path", path, file), true);
  EXPECT_EQ(ReadFileBytes(file), "[Emulator]\r\nPath=" + path + "\r\n");

  // Rewritten over the existing file (a rename over it on Windows).
  ASSERT_EQ(WriteIniValue("Emulator", "Mode", "-f", file), true);
  ASSERT_EQ(WriteIniValue("Games", "Dir", "D:\\Wii U ü", file), true);
  ASSERT_EQ(WriteIniValue("Emulator", "Path", "C:\\ñ.exe", file), true);
  EXPECT_EQ(ReadFileBytes(file),
            "[Emulator]\r\nPath=C:\\ñ.exe\r\nMode=-f\r\n[Games]\r\nDir=D:\\Wii U ü\r\n");
  EXPECT_EQ(ListFolder(root_.Path()),
            std::vector<std::string>{"Tavro 設定 é.ini"});  // no temp left

  EXPECT_EQ(ReadIniValue("Emulator", "Path", "none", file), "C:\\ñ.exe");
  EXPECT_EQ(ReadIniValue("Games", "Dir", "none", file), "D:\\Wii U ü");
  EXPECT_EQ(ReadIniValue("Games", "Missing", "none", file), "none");
  EXPECT_EQ(ReadIniValue("Emulator", "Path", "none", root_ / "absent ü.ini"), "none");
}

TEST_F(SettingsFile, AFileInTheAnsiCodePageReadsAsUtf8AndIsRewrittenAsUtf8) {
  if (GetACP() != 1252)
    GTEST_SKIP() << "written for code page 1252, the system has " << GetACP();
  const std::string file = root_ / "ancien é.ini";
  WriteFileBytes(file, "[Games]\r\nTitle=caf\xE9\r\n");
  EXPECT_EQ(ReadIniValue("Games", "Title", "", file), "café");

  ASSERT_EQ(WriteIniValue("Games", "Other", "ü", file), true);
  EXPECT_EQ(ReadFileBytes(file), "[Games]\r\nTitle=caf\xC3\xA9\r\nOther=\xC3\xBC\r\n");
}

}  // namespace
}  // namespace tavro::test

namespace tavro::test {
namespace {

// Entries that only the Linux side can make, seen through Wine's drive Z:.
// Wine opens a FIFO as a pipe and a link to a device as a character device,
// shows no link to nothing, and shows a link to a file as that file.
void RunUnix(const std::string& script, const std::string& wait_for) {
  std::wstring line = Wide("/bin/sh -c \"" + script + "\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  UniqueKernelHandle owned_process(process.hProcess), owned_thread(process.hThread);
  ASSERT_TRUE(WaitForFile(wait_for));  // Wine cannot wait for a Linux process
}

TEST(ThroughWine, EachKindOfEntryTakesItsFailurePathOrIsReplacedByName) {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
    GTEST_SKIP() << "only Wine shows Linux entries";
  const std::string unix_dir = "/tmp/tavro-wine-" + std::to_string(GetCurrentProcessId());
  const auto z = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
  };
  const auto at = [&](const std::string& name) { return z(unix_dir + "/" + name); };
  RunUnix("mkdir " + unix_dir + " && cd " + unix_dir +
              " && mkfifo fifo && ln -s /dev/zero device && ln -s /nowhere nothing && mkdir "
              "folder && echo outside >file && ln -s $PWD/file link && touch made",
          at("made"));
  using Type = Entry::Type;
  struct Row {
    const char* name;
    Type type;
    bool replaced;  // by the page, by name; else refused
  } const rows[] = {{"fifo", Type::kOther, false},
                    {"device", Type::kOther, false},
                    {"nothing", Type::kNone, true},
                    {"folder", Type::kFolder, false},
                    {"link", Type::kFile, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LookAt(at(row.name)).type, row.type);
    EXPECT_NO_THROW(MkDirUnlessTaken(at(row.name)));
    if (row.type == Type::kFile)
      EXPECT_EQ(ReadOrdinaryFile(at(row.name), 100), "outside\n");
    else
      EXPECT_THROW(ReadOrdinaryFile(at(row.name), 100), RuntimeError);
    if (row.replaced)
      EXPECT_NO_THROW(PrintToFile(at(row.name), "page"));
    else
      EXPECT_THROW(PrintToFile(at(row.name), "page"), RuntimeError);
  }
  EXPECT_EQ(ReadOrdinaryFile(at("link"), 100), "page\r\n");
  EXPECT_EQ(ReadOrdinaryFile(at("file"), 100), "outside\n");  // never written through
  RunUnix("rm -r " + unix_dir + " && touch " + unix_dir + ".gone", z(unix_dir + ".gone"));
  DeleteFileW(Wide(z(unix_dir + ".gone")).c_str());
}

}  // namespace
}  // namespace tavro::test

namespace tavro::test {
namespace {

// A game folder whose path passes 260 characters: listed, looked at and read
// as any other, and a folder that cannot be listed is never the working one.
TEST(LongPaths, AFolderOfThreeHundredCharactersListsAndReads) {
  TempFolder root{"Tavro long"};
  std::string deep = root.Path();
  std::vector<std::wstring> made;
  while (deep.size() < 300) {
    deep += "\\" + std::string(60, 'g');
    made.push_back(L"\\\\?\\" + Wide(deep));
    ASSERT_TRUE(CreateDirectoryW(made.back().c_str(), nullptr)) << deep.size();
  }
  const std::string game = deep + "\\Long Game.wud";
  const std::wstring wide_game = L"\\\\?\\" + Wide(game);
  {
    const UniqueKernelHandle file(CreateFileW(wide_game.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "disc", 4, &written, nullptr));
  }
  std::vector<std::string> names;
  ReadFolder(deep, deep, [&](FolderEntry& e) {
    if (e.file)
      names.push_back(e.name);
  });
  EXPECT_EQ(names, std::vector<std::string>{"Long Game.wud"});
  EXPECT_EQ(Dir(game, kAttrNormal), "Long Game.wud");
  EXPECT_EQ(ReadOrdinaryFile(game, 100), "disc");
  PrintToFile(deep + "\\page.html", "p");
  EXPECT_EQ(ReadOrdinaryFile(deep + "\\page.html", 100), "p\r\n");
  Kill(deep + "\\page.html");
  EXPECT_EQ(Dir(deep + "\\page.html", kAttrNormal), "");

  for (const std::string& nowhere : {std::string(), deep + "\\missing", std::string("*")}) {
    SCOPED_TRACE(nowhere);
    try {
      ReadFolder(nowhere, "shown", [](FolderEntry&) { ADD_FAILURE() << "an entry was listed"; });
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kPathNotFound);
    }
  }
  // The first start makes its folders there too; a taken name is refused
  // by MakeFolder alone.
  MakeFolder(deep + "\\Game", false);
  EXPECT_EQ(Dir(deep + "\\Game", kAttrDirectory), "Game");
  EXPECT_NO_THROW(MkDirUnlessTaken(deep + "\\Game"));
  EXPECT_THROW(MakeFolder(deep + "\\Game", false), RuntimeError);
  RemoveDirectoryW((L"\\\\?\\" + Wide(deep + "\\Game")).c_str());
  DeleteFileW(wide_game.c_str());
  for (auto it = made.rbegin(); it != made.rend(); ++it)
    RemoveDirectoryW(it->c_str());
}

}  // namespace
}  // namespace tavro::test
