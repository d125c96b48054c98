// Starting programs: the argument vector a real process receives, no shell
// in between, errors when nothing can be started, no zombies left.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <functional>

#include "TestSupport.h"
#include "runtime/posix/CommandLine.h"
#include "runtime/posix/Flatpak.h"
#include "runtime/posix/Processes.h"
#include "ProbeServices.h"

namespace tavro {
namespace {

namespace fs = test::fs;
using Words = std::vector<std::string>;

TEST(SplitWords, SplitsLikeAShellWithoutExpanding) {
  EXPECT_EQ(SplitWords("a  b\tc\n"), (Words{"a", "b", "c"}));
  EXPECT_EQ(SplitWords("  "), Words{});
  EXPECT_EQ(SplitWords("-f -g \"/g/My Game/x.rpx\""), (Words{"-f", "-g", "/g/My Game/x.rpx"}));
  EXPECT_EQ(SplitWords("'it \"is\"' \"it's\""), (Words{"it \"is\"", "it's"}));
  EXPECT_EQ(SplitWords("a\"b c\"d e"), (Words{"ab cd", "e"}));
  EXPECT_EQ(SplitWords("x \"\" y"), (Words{"x", "", "y"}));
  EXPECT_EQ(SplitWords("$HOME *.rpx ~ `id` a\\ b"),
            (Words{"$HOME", "*.rpx", "~", "`id`", "a\\", "b"}));
  EXPECT_EQ(SplitWords("a \"open to the end"), (Words{"a", "open to the end"}));
}

TEST(SplitWords, EmulatorArgumentsAreTheModeWordsThenTheGameWhole) {
  const std::string program = "/opt/My Emu/Cemu.exe";
  struct Case {
    std::string mode, game;
    Words args;
  } const cases[] = {
      {"-f -g", "/g/a b.rpx", {"-f", "-g", "/g/a b.rpx"}},
      {"", "/g/a b.rpx", {"/g/a b.rpx"}},
      {" \t ", "/g/\"q\" 'x'.rpx", {"/g/\"q\" 'x'.rpx"}},
      {"", "", {""}},
      // The mode text is never taken to hold the program: a word like the
      // program's name stays an argument.
      {program + " -x", "/g/x.wud", {"/opt/My", "Emu/Cemu.exe", "-x", "/g/x.wud"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode + " | " + c.game);
    EXPECT_EQ(EmulatorArguments({program, c.mode, c.game}), c.args);
  }
}

class ShellTest : public ::testing::Test {
 protected:
  // What the argv_dump that start starts received.
  Words Started(const std::function<void()>& start) {
    const fs::path out = dir_.path() / ("argv" + std::to_string(++runs_));
    setenv("ARGV_DUMP_OUT", out.c_str(), 1);
    start();
    unsetenv("ARGV_DUMP_OUT");
    if (!test::WaitForFile(out))
      return {"argv_dump never ran"};
    const std::string dump = test::ReadFile(out);
    last_pid_ = std::stoi(dump.substr(0, dump.find('\n')));
    Words args;
    std::string_view rest = std::string_view(dump).substr(dump.find('\n') + 1);
    while (!rest.empty()) {
      const auto nul = rest.find('\0');
      args.emplace_back(rest.substr(0, nul));
      rest.remove_prefix(nul + 1);
    }
    return args;
  }

  test::TempDir dir_;
  test::ProbeServices services_;
  int runs_ = 0;
  pid_t last_pid_ = 0;
};

TEST_F(ShellTest, StartsTheProgramWithTheIntendedArguments) {
  const fs::path program = test::CopyExecutable(test::HelperPath("argv_dump"),
                                                dir_.path() / "My Emulator ü" / "Cemu Emu.exe");
  const std::string game = "/games/Zelda – Breath ü/code/U King.rpx";

  const auto run = [&](const std::string& mode, const std::string& game_path) {
    return Started([&] { services_.StartEmulator({program.string(), mode, game_path}); });
  };
  // The program with its blanks, the mode text's words, the game whole.
  EXPECT_EQ(run("-f -g", game), (Words{program.string(), "-f", "-g", game}));
  // An empty mode text gives no empty argument.
  EXPECT_EQ(run("", game), (Words{program.string(), game}));
  // Nothing is expanded: no shell reads the words.
  EXPECT_EQ(run("$HOME '*'", ";id"), (Words{program.string(), "$HOME", "*", ";id"}));
}

TEST_F(ShellTest, EmulatorGetsProgramModeWordsAndTheGameAsOneArgument) {
  const std::string program =
      test::CopyExecutable(test::HelperPath("argv_dump"), dir_.path() / "Emu ü" / "Cemu.exe")
          .string();
  const std::string hostile = "/games/a\"; rm -rf ~; \".wud";
  struct Case {
    std::string mode, game;
    Words args;
  } const cases[] = {
      {"-g", "/g/Zelda ü/x.wud", {"-g", "/g/Zelda ü/x.wud"}},
      {"-f -g", hostile, {"-f", "-g", hostile}},
      {"", "/g/a b.wux", {"/g/a b.wux"}},
      {"  ", "/g/$HOME *.rpx", {"/g/$HOME *.rpx"}},
      {"-f \"--title=My Game\" 'x y'",
       "/g/it's \"q\".wud",
       {"-f", "--title=My Game", "x y", "/g/it's \"q\".wud"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode + " | " + c.game);
    Words want{program};
    want.insert(want.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Started([&] { services_.StartEmulator({program, c.mode, c.game}); }), want);
  }
  // Nothing ran the hostile name's command: the folder is still here.
  EXPECT_TRUE(fs::exists(dir_.path() / "Emu ü"));
  try {
    services_.StartEmulator({(dir_.path() / "none" / "Cemu.exe").string(), "-g", "/g/x.wud"});
    ADD_FAILURE() << "a missing emulator started";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kFileNotFound);
  }
}

TEST_F(ShellTest, WithoutProgramTheFirstWordIsSearchedOnPath) {
  const std::string old_path = getenv("PATH") != nullptr ? getenv("PATH") : "";
  setenv("PATH", (test::HelperPath("argv_dump").parent_path().string() + ":" + old_path).c_str(),
         1);
  const Words got = Started([] { SpawnDetached({"argv_dump", "/f", "/im", "Cemu.exe"}, true); });
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(got, (Words{"argv_dump", "/f", "/im", "Cemu.exe"}));
}

TEST_F(ShellTest, ReportsWhatCannotBeStarted) {
  const auto number = [&](const std::function<void()>& start) {
    try {
      start();
    } catch (const RuntimeError& e) {
      return e.Number();
    }
    return 0;
  };
  const auto emulator = [&](const std::string& program) {
    return number([&] { services_.StartEmulator({program, "-g", "x"}); });
  };
  const auto on_path = [&](const Words& argv) {
    return number([&] { SpawnDetached(argv, true); });
  };
  const std::string missing = (dir_.path() / "no such emu" / "Cemu.exe").string();
  EXPECT_EQ(emulator(missing), err::kFileNotFound);
  EXPECT_EQ(emulator(""), err::kFileNotFound);
  EXPECT_EQ(on_path({"tavro-no-such-program-anywhere", "-x"}), err::kFileNotFound);
  EXPECT_EQ(on_path(SplitWords("")), err::kFileNotFound);
  EXPECT_EQ(on_path(SplitWords("  ")), err::kFileNotFound);
  EXPECT_EQ(on_path({"", "-x"}), err::kFileNotFound);

  const fs::path not_executable = dir_.path() / "plain.exe";
  std::ofstream(not_executable) << "#!/bin/sh\n";
  fs::permissions(not_executable, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_NE(emulator(not_executable.string()), 0);
}

TEST_F(ShellTest, LeavesNoZombie) {
  const fs::path program = test::CopyExecutable(test::HelperPath("argv_dump"), dir_.path() / "emu");
  // Started as a game, so the launcher also keeps a descriptor watching for
  // its end: the end is still reaped.
  ASSERT_EQ(Started([&] {
              services_.StartEmulator({program.string(), "", "/g/x.wud"});
            }).size(),
            2u);
  // Wait for the child's end through a pidfd; a zombie would still be
  // waitable then, a child the kernel reaped is not.
  const int pidfd = test::PidFdOpen(last_pid_);
  if (pidfd < 0) {
    EXPECT_EQ(errno, ESRCH);  // already gone without a trace
    return;
  }
  siginfo_t info{};
  const int result = waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED);
  const int wait_error = errno;
  close(pidfd);
  EXPECT_EQ(result, -1) << "the child was left as a zombie";
  EXPECT_EQ(wait_error, ECHILD);
}

TEST_F(ShellTest, ViewerIsXdgOpenWithThePath) {
  const fs::path bin = dir_.path() / "bin";
  test::CopyExecutable(test::HelperPath("argv_dump"), bin / "xdg-open");
  const std::string old_path = getenv("PATH") != nullptr ? getenv("PATH") : "";
  setenv("PATH", (bin.string() + ":" + old_path).c_str(), 1);
  const fs::path out = dir_.path() / "viewer";
  setenv("ARGV_DUMP_OUT", out.c_str(), 1);
  const std::string page = (dir_.path() / "Donate page ü.html").string();
  services_.OpenInViewer(page);
  unsetenv("ARGV_DUMP_OUT");
  setenv("PATH", old_path.c_str(), 1);
  ASSERT_TRUE(test::WaitForFile(out));
  const std::string dump = test::ReadFile(out);
  EXPECT_EQ(dump.substr(dump.find('\n') + 1), std::string("xdg-open") + '\0' + page + '\0');
}

TEST_F(ShellTest, AFlatpakStartsAndEndsThroughTheFlatpakProgramOnPath) {
  const fs::path bin = dir_.path() / "bin";
  test::CopyExecutable(test::HelperPath("argv_dump"), bin / "flatpak");
  const std::string old_path = getenv("PATH") != nullptr ? getenv("PATH") : "";
  setenv("PATH", (bin.string() + ":" + old_path).c_str(), 1);
  const std::string game = "/games/Zelda ü/$HOME \"x\".wud";
  const Words run = Started([&] {
    services_.StartApp("info.cemu.Cemu", {"/not/this/Cemu.exe", "-f \"-g\"", game});
  });
  const Words kill = Started([&] { services_.EndApp("info.cemu.Cemu"); });
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(run, (Words{"flatpak", "run", "info.cemu.Cemu", "-f", "-g", game}));
  EXPECT_EQ(kill, (Words{"flatpak", "kill", "info.cemu.Cemu"}));
}

TEST_F(ShellTest, OnlyAnApplicationIdIsLookedUpOrPassedOn) {
  // Two installations; every name below has a folder in the user's, so only
  // the id's own form can refuse it.
  const fs::path system = dir_.path() / "system";
  const fs::path user = dir_.path() / "a" / "b" / "user";
  const std::vector<std::string> installations{system.string(), user.string()};
  fs::create_directories(system / "app" / "org.example.Emu_2");
  struct Case {
    std::string id;
    bool valid;
  } const cases[] = {
      {"info.cemu.Cemu", true},
      {"org.example.Emu_2", true},
      {"io.git-hub.Some-Emu", true},
      {"info.cemu", false},
      {"Cemu", false},
      {"", false},
      {"info..Cemu", false},
      {"info.cemu.Cemu.", false},
      {"-info.cemu.Cemu", false},
      {"info.1cemu.Cemu", false},
      {"info.cemu.Cemu x", false},
      {"info.cemu.Cemu;id", false},
      {"../../x.y.z", false},
      {"..\\..\\x.y", false},
      {"info/cemu/Cemu", false},
      {"info.cemu.Cémü", false},
      {"a.b." + std::string(252, 'c'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    std::error_code ec;
    fs::create_directories(user / "app" / c.id, ec);
    EXPECT_EQ(IsFlatpakAppId(c.id), c.valid);
    EXPECT_EQ(FlatpakInstalledIn(installations, c.id), c.valid && !ec);
    if (!c.valid) {
      EXPECT_THROW(services_.StartApp(c.id, {"", "-g", "/g/x.wud"}), RuntimeError);
    }
  }
  EXPECT_TRUE(IsFlatpakAppId("a.b." + std::string(251, 'c')));
  EXPECT_TRUE(FlatpakInstalledIn(installations, "org.example.Emu_2"));  // the system's
  EXPECT_FALSE(FlatpakInstalledIn(installations, "org.example.Other"));
  fs::remove_all(user / "app" / "info.cemu.Cemu");
  std::ofstream(user / "app" / "info.cemu.Cemu") << "a file is no installed application";
  EXPECT_FALSE(FlatpakInstalledIn(installations, "info.cemu.Cemu"));
}

TEST(FlatpakInstallations, TheSystemsAndTheUsersAsFlatpakFindsThem) {
  struct Case {
    const char *system_dir, *user_dir, *data_home, *home;
    std::vector<std::string> want;
  } const cases[] = {
      {nullptr, nullptr, nullptr, "/home/u", {"/var/lib/flatpak", "/home/u/.local/share/flatpak"}},
      {nullptr, nullptr, "/data", "/home/u", {"/var/lib/flatpak", "/data/flatpak"}},
      {"/sys-fp", "/user-fp", "/data", "/home/u", {"/sys-fp", "/user-fp"}},
      // Relative values are ignored.
      {"sys-fp",
       "user-fp",
       "data",
       "/home/u",
       {"/var/lib/flatpak", "/home/u/.local/share/flatpak"}},
      {nullptr, nullptr, nullptr, nullptr, {"/var/lib/flatpak"}},
  };
  const char* names[] = {"FLATPAK_SYSTEM_DIR", "FLATPAK_USER_DIR", "XDG_DATA_HOME", "HOME"};
  std::vector<std::optional<std::string>> saved;
  for (const char* name : names)
    saved.push_back(getenv(name) ? std::optional<std::string>(getenv(name)) : std::nullopt);
  for (const auto& c : cases) {
    const char* values[] = {c.system_dir, c.user_dir, c.data_home, c.home};
    for (int i = 0; i < 4; ++i)
      values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
    EXPECT_EQ(FlatpakInstallations(), c.want) << (c.home ? c.home : "no HOME");
  }
  for (int i = 0; i < 4; ++i)
    saved[i] ? setenv(names[i], saved[i]->c_str(), 1) : unsetenv(names[i]);
}

}  // namespace
}  // namespace tavro
