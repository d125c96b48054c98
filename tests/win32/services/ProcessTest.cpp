// The process services against real processes: this test program started
// again in a child role, and argv_dump.exe copied under Unicode paths.
#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "runtime/win32/InstanceMutex.h"

namespace tavro::test {
namespace {

TEST(AppFolder, IsTheFolderOfTheProgramWithoutATrailingBackslash) {
  TestServices services;
  const std::string folder = services.AppFolder();
  ASSERT_GE(folder.size(), 2u);
  EXPECT_EQ(folder[1], ':');
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(Exists(folder + "\\tavro_win32_services_tests.exe"));
  EXPECT_TRUE(Exists(folder + "\\argv_dump.exe"));
}

// (Wine starts no program whose path is longer than MAX_PATH, so the longer
// buffer for such paths cannot be tried here.)
TEST(AppFolder, IsTheUnicodeFolderACopyOfTheProgramRunsFrom) {
  TempFolder root("Tavro appfolder ü");
  std::string folder = root.Path();
  while (Wide(folder).size() < 150)
    folder += "\\Dossier très long ディレクトリ";
  MakeFolders(folder);
  const std::string copy = folder + "\\tavro_win32_services_tests.exe";
  CopyFileTo(SelfPath(), copy);
  const std::string out = root / "app folder.txt";

  std::wstring line = L"\"" + Wide(copy) + L"\" --app-folder \"" + Wide(out) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(Wide(copy).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process))
      << "error " << GetLastError();
  CloseHandle(process.hThread);
  const UniqueKernelHandle child(process.hProcess);
  ASSERT_EQ(WaitForExit(child), 0);
  EXPECT_EQ(ReadFileBytes(out), folder);
}

// The instance lock: a named mutex per user, across processes.
TEST(PreviousInstance, TheFirstHolderSeesNoneALaterOneSeesItUntilItEnds) {
  const NamedEvent held("held");
  const NamedEvent release("release");
  auto holder = StartSelf("--instance - " + held.Name() + " " + release.Name());
  ASSERT_TRUE(held.Wait());

  auto second = StartSelf("--instance - - -");
  EXPECT_EQ(WaitForExit(second), 1) << "the lock held by the first was not seen";

  release.Set();
  EXPECT_EQ(WaitForExit(holder), 0) << "the first instance took itself for a second one";

  auto third = StartSelf("--instance - - -");
  EXPECT_EQ(WaitForExit(third), 0) << "the lock outlived the process that held it";
}

TEST(PreviousInstance, OfTwoStartedAtTheSameMomentExactlyOneSeesTheOther) {
  const NamedEvent go("go");
  const NamedEvent done_a("done-a");
  const NamedEvent done_b("done-b");
  const NamedEvent release("release2");
  auto a = StartSelf("--instance " + go.Name() + " " + done_a.Name() + " " + release.Name());
  auto b = StartSelf("--instance " + go.Name() + " " + done_b.Name() + " " + release.Name());
  go.Set();
  ASSERT_TRUE(done_a.Wait());
  ASSERT_TRUE(done_b.Wait());
  release.Set();
  const int code_a = WaitForExit(a);
  const int code_b = WaitForExit(b);
  EXPECT_EQ(code_a + code_b, 1) << "a: " << code_a << ", b: " << code_b;
  EXPECT_NE(code_a, -1);
  EXPECT_NE(code_b, -1);
}

// Windows' answers no test machine gives (Wine runs every program as one
// user): only an object of this user's that was there is another instance.
TEST(PreviousInstance, OnlyAMutexOfThisUsersThatWasThereIsAnotherInstance) {
  using O = win32::MutexOwner;
  // CreateMutexW's handle and error, who owns the object: another instance?
  const std::tuple<bool, DWORD, O, bool> cases[] = {
      {true, ERROR_SUCCESS, O::kUnknown, false},           // made it: the first
      {true, ERROR_ALREADY_EXISTS, O::kThisUser, true},    // an instance of ours
      {true, ERROR_ALREADY_EXISTS, O::kOtherUser, false},  // another user's, open to us
      {true, ERROR_ALREADY_EXISTS, O::kUnknown, false},
      {false, ERROR_ACCESS_DENIED, O::kThisUser, true},    // ours, with other rights
      {false, ERROR_ACCESS_DENIED, O::kOtherUser, false},  // another user's, closed
      {false, ERROR_ACCESS_DENIED, O::kUnknown, false},
      {false, ERROR_INVALID_HANDLE, O::kUnknown, false},  // another kind of object
  };
  for (const auto& [handle, error, owner, another] : cases) {
    EXPECT_EQ(win32::AnotherInstanceRuns(handle, error, owner), another)
        << handle << " " << error << " " << static_cast<int>(owner);
  }
}

TEST(End, EndsTheProcessAtOnceWithCodeZero) {
  auto child = StartSelf("--end");
  EXPECT_EQ(WaitForExit(child), 0);
}

// Shell with a stand-in emulator at a path with blanks and Unicode.
class ShellTest : public testing::Test {
 protected:
  void SetUp() override {
    MakeFolders(emulator_folder_);
    CopyFileTo(helper_, program_);
  }
  // What the started program recorded: its command line and its show command.
  std::string Recorded(const std::string& folder) {
    const std::string file = folder + "\\command_line.txt";
    if (!WaitForFile(file))
      return "(the program did not run)";
    return ReadFileBytes(file);
  }

  TestServices services_;
  const std::string helper_ = services_.AppFolder() + "\\argv_dump.exe";
  TempFolder root_{"Tavro shell ü"};
  const std::string emulator_folder_ = root_ / "Emu Folder ü\\Emulator";
  const std::string program_ = emulator_folder_ + "\\Cemu.exe";
  const std::string game_ = root_ / "Jeux ゲーム\\Zelda é.rpx";
};

TEST_F(ShellTest, TheProgramGivenApartGetsTheCommandLineIntact) {
  const std::string line = "\"" + program_ + "\" -f -g \"" + game_ + "\"";
  services_.Shell(line, WindowStyle::kMinimizedFocus, program_);
  EXPECT_EQ(Recorded(emulator_folder_), line + "\n2\n");
}

TEST_F(ShellTest, AnUnquotedProgramPathWithBlanksIsNotSearchedPieceByPiece) {
  // Without the program given apart, Windows would try "...\Emu.exe" first.
  CopyFileTo(helper_, root_ / "Emu.exe");
  const std::string line = program_ + " -g \"" + game_ + "\"";
  services_.Shell(line, WindowStyle::kNormalFocus, program_);
  EXPECT_EQ(Recorded(emulator_folder_), line + "\n1\n");
  EXPECT_FALSE(Exists(root_ / "command_line.txt"));
}

TEST_F(ShellTest, WithoutAProgramTheFirstWordOfTheLineRuns) {
  const std::string line = "\"" + program_ + "\" é ü";
  services_.Shell(line, WindowStyle::kNormalFocus);
  EXPECT_EQ(Recorded(emulator_folder_), line + "\n1\n");
}

TEST_F(ShellTest, AMissingProgramThrowsFileNotFound) {
  const std::string missing = root_ / "Emu Folder ü\\Nothing\\Cemu.exe";
  try {
    services_.Shell("\"" + missing + "\" -f", WindowStyle::kNormalFocus, missing);
    ADD_FAILURE() << "no error for a missing program";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kFileNotFound);
  }
  EXPECT_THROW(services_.Shell("tavro_no_such_program_ü.exe -x", WindowStyle::kNormalFocus),
               RuntimeError);
}

// The emulator as the launcher starts it: the program apart, a normal
// window, and exactly this command line and these arguments, whatever
// blanks and characters the folders hold.
TEST_F(ShellTest, StartEmulatorGivesTheEmulatorItsExactCommandLineAndArguments) {
  // A folder without blanks (the temp folders of this suite have some).
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string plain =
      Utf8(temp) + "TavroPlain" + std::to_string(GetCurrentProcessId()) + "\\Emulator";
  const std::string plain_program = plain + "\\Cemu.exe";
  MakeFolders(plain);
  CopyFileTo(helper_, plain_program);
  struct Case {
    EmulatorCommand command;
    std::string line;
    std::vector<std::string> argv;
  };
  const Case cases[] = {
      {{program_, "-f -g", game_},
       "\"" + program_ + "\" -f -g \"" + game_ + "\"",
       {program_, "-f", "-g", game_}},
      // An empty mode text leaves two blanks.
      {{program_, "", game_}, "\"" + program_ + "\"  \"" + game_ + "\"", {program_, game_}},
      // A program path without blanks stands unquoted.
      {{plain_program, "-g", game_},
       plain_program + " -g \"" + game_ + "\"",
       {plain_program, "-g", game_}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    if (c.command.program == plain_program && plain.find(' ') != std::string::npos)
      continue;  // a temp folder with blanks of its own
    const std::string folder = c.command.program.substr(0, c.command.program.rfind('\\'));
    DeleteFileW(Wide(folder + "\\command_line.txt").c_str());
    services_.StartEmulator(c.command);
    EXPECT_EQ(Recorded(folder), c.line + "\n1\n");
    std::string expected_argv;
    for (const auto& arg : c.argv)
      expected_argv += arg + "\n";
    EXPECT_EQ(ReadFileBytes(folder + "\\argv.txt"), expected_argv);
  }
  for (const char* name : {"\\Cemu.exe", "\\command_line.txt", "\\argv.txt"})
    DeleteFileW(Wide(plain + name).c_str());
  RemoveDirectoryW(Wide(plain).c_str());
  RemoveDirectoryW(Wide(plain.substr(0, plain.rfind('\\'))).c_str());
}

// What the key and the donate image start, as their command lines, and the
// system's own programs by full path (never one found beside us), as is a
// batch file's command interpreter.
TEST(ShellCommands, TheKillAndViewerCommandsQuoteWhatHoldsABlank) {
  class Recording final : public Win32Processes {
   public:
    Recording() : Win32Processes(shell_) {}
    void Shell(const std::string& line, WindowStyle style, const std::string& program) override {
      started.push_back(line + (style == WindowStyle::kMinimizedFocus ? " [min]" : " [normal]") +
                        (program.empty() ? "" : " [" + program + "]"));
    }
    std::vector<std::string> started;

   private:
    Win32ShellWindows shell_;
  };
  Recording services;
  services.KillByImageName("Cemu.exe");
  services.KillByImageName("My Cemu ü.exe");
  services.KillByImageName("");
  services.OpenInViewer("C:\\Tavro Front ü\\Tavro_FrontEnd-donate.html");
  wchar_t system[MAX_PATH] = {};
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  BOOL wow64 = FALSE;  // a 32-bit program on a 64-bit system: the 64-bit taskkill
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  const std::string taskkill =
      " [min] [" +
      (wow64 ? Utf8(windows) + "\\Sysnative\\taskkill.exe" : Utf8(system) + "\\taskkill.exe") + "]";
  EXPECT_EQ(services.started,
            (std::vector<std::string>{
                "taskkill /f /im Cemu.exe" + taskkill,
                "taskkill /f /im \"My Cemu ü.exe\"" + taskkill,
                "Explorer.exe \"C:\\Tavro Front ü\\Tavro_FrontEnd-donate.html\" [min] [" +
                    Utf8(windows) + "\\explorer.exe]",
            }));
  const struct {
    EmulatorCommand command;
    std::string line, program;
  } starts[] = {
      {{"C:\\E\\Cemu.exe", "-g", "C:\\G\\Odd 100%PATH%x.wud"},
       "C:\\E\\Cemu.exe -g \"C:\\G\\Odd 100%PATH%x.wud\"",
       "C:\\E\\Cemu.exe"},
      {{"C:\\E\\Run.bat", "-g", "C:\\G\\Odd 100%PATH%x.wud"},
       "cmd.exe /d /e:ON /v:OFF /c \"\"C:\\E\\Run.bat\" -g \"C:\\G\\Odd "
       "100%%cd:~,%PATH%%cd:~,%x.wud\"\"",
       Utf8(system) + "\\cmd.exe"},
  };
  for (const auto& s : starts) {
    SCOPED_TRACE(s.command.program);
    const auto got = Win32Processes::EmulatorStartOf(s.command);
    EXPECT_EQ(got.line, s.line);
    EXPECT_EQ(got.program, s.program);
  }
  EXPECT_THROW(Win32Processes::EmulatorStartOf({"C:\\E\\Run.cmd", "-g \"x\"", "C:\\G\\a.wud"}),
               RuntimeError);
}

TEST_F(ShellTest, KillByImageNameEndsTheRunningProgramEvenWithABlankInItsName) {
  const std::string name = "tavro sleeper " + std::to_string(GetCurrentProcessId()) + ".exe";
  const std::string sleeper = root_ / name;
  CopyFileTo(helper_, sleeper);
  std::wstring line = L"\"" + Wide(sleeper) + L"\" --stay";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(Wide(sleeper).c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  const UniqueKernelHandle child(process.hProcess);
  ASSERT_TRUE(WaitForFile(root_ / "command_line.txt"));  // it runs

  services_.KillByImageName(name);
  const bool ended = WaitForSingleObject(child.get(), 60000) == WAIT_OBJECT_0;
  if (!ended)
    TerminateProcess(child.get(), 9);
  EXPECT_TRUE(ended) << "taskkill did not end " << name;
}

// The games the launcher starts, as the tick sees them: each start and each
// end told once, with the number still running, whichever ends first.
TEST_F(ShellTest, EachGameStartAndEndIsToldOnceAndTheRunningGamesCounted) {
  std::vector<std::string> told;
  auto subscription = services_.WatchGames([&told](GameLife life, int running) {
    told.push_back((life == GameLife::kStarted ? "started " : "ended ") + std::to_string(running));
  });
  const std::string name = "tavro game " + std::to_string(GetCurrentProcessId()) + ".exe";
  const std::string long_game = root_ / name;
  CopyFileTo(helper_, long_game);
  EXPECT_FALSE(services_.GameRunning());

  services_.StartEmulator({long_game, "--stay", game_});
  ASSERT_TRUE(WaitForFile(root_ / "command_line.txt"));  // it runs
  services_.StartEmulator({program_, "-g", game_});      // ends once it has written
  EXPECT_EQ(told, (std::vector<std::string>{"started 1", "started 2"}));
  const auto poll_until = [&](std::size_t count) {
    for (int i = 0; i < 6000 && told.size() < count; ++i) {
      services_.GameRunning();
      Sleep(10);
    }
  };
  poll_until(3);
  EXPECT_EQ(told.back(), "ended 1");
  EXPECT_TRUE(services_.GameRunning());

  services_.KillByImageName(name);
  poll_until(4);
  EXPECT_EQ(told, (std::vector<std::string>{"started 1", "started 2", "ended 1", "ended 0"}));
  EXPECT_FALSE(services_.GameRunning());

  // A start that fails is no game; a listener gone hears nothing more.
  EXPECT_THROW(services_.StartEmulator({root_ / "none.exe", "", game_}), RuntimeError);
  EXPECT_FALSE(services_.GameRunning());
  subscription = GameSubscription();
  services_.StartEmulator({program_, "-g", game_});
  for (int i = 0; i < 6000 && services_.GameRunning(); ++i)
    Sleep(10);
  EXPECT_EQ(told.size(), 4u);
}

}  // namespace
}  // namespace tavro::test
