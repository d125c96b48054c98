// Ending processes by image name, and the life of the games the launcher
// starts: real processes under made-up names.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "ProbeServices.h"

namespace tavro {
namespace {

namespace fs = test::fs;
using test::Child;

class KillByImageNameTest : public ::testing::Test {
 protected:
  // /bin/sleep copied under name, running.
  std::unique_ptr<Child> Sleeper(const std::string& name) {
    const auto exe = test::CopyExecutable("/bin/sleep", dir_.path() / name);
    return std::make_unique<Child>(std::vector<std::string>{exe.string(), "600"});
  }
  test::TempDir dir_;
  test::ProbeServices services_;
};

TEST_F(KillByImageNameTest, EndsTheNamedProcessesWithoutRegardToCaseAndNoOthers) {
  // An AppImage runs its payload (AppRun) from its mount (the test's folder), named in APPDIR,
  // the image in APPIMAGE; what the payload starts inherits both.
  const auto app_run = test::CopyExecutable("/bin/sleep", dir_.path() / "AppRun");
  const auto app_image = [&](const std::string& image, const fs::path& app_dir,
                             const fs::path& exe) {
    return std::make_unique<Child>(std::vector<std::string>{
        "/usr/bin/env", "APPIMAGE=" + image, "APPDIR=" + app_dir.string(), exe, "600"});
  };
  auto emulator = Sleeper("Cemu.exe");
  auto second = Sleeper("CEMU.EXE");
  auto image = app_image("/x/Cemu.exe", dir_.path().string() + "/", app_run);
  auto backup = Sleeper("Cemu.exe.bak");
  auto prefixed = Sleeper("MyCemu.exe");
  auto other_image = app_image("/x/Cemu.exe.AppImage", dir_.path(), app_run);
  auto started_by_image = app_image("/x/Cemu.exe", dir_.path(), "/bin/sleep");
  auto beside_mount = app_image("/x/Cemu.exe", dir_.path() / "App", app_run);
  // Let env reach its exec: then the variables are the payload's own.
  for (const auto* child :
       {image.get(), other_image.get(), started_by_image.get(), beside_mount.get()}) {
    const auto exe_link = "/proc/" + std::to_string(child->pid()) + "/exe";
    for (int i = 0; i < test::kPatienceMs / 5; ++i) {
      std::error_code ec;
      if (fs::read_symlink(exe_link, ec).filename() != "env")
        break;
      usleep(5000);
    }
  }

  services_.KillByImageName("cemu.EXE");
  EXPECT_TRUE(emulator->WaitExit());
  EXPECT_TRUE(second->WaitExit());
  EXPECT_TRUE(image->WaitExit());
  // A process killed by mistake takes a moment to end: looked at only after
  // a grace wait, a wrong kill cannot slip through.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_FALSE(backup->Exited());
  EXPECT_FALSE(prefixed->Exited());
  EXPECT_FALSE(other_image->Exited());
  EXPECT_FALSE(started_by_image->Exited());
  EXPECT_FALSE(beside_mount->Exited());
}

TEST_F(KillByImageNameTest, FindsAProcessByItsArgvZero) {
  // A program run under another file name (Wine shows the .exe's Windows
  // path as argv[0]; a launcher script may exec the emulator as "Cemu").
  Child wine_style({"/bin/bash", "-c", "exec -a 'C:\\Games\\Emulator\\Cemu.exe' sleep 600"});
  Child unix_style({"/bin/bash", "-c", "exec -a /opt/emu/Cemu.exe sleep 600"});
  // Let each shell reach its exec: then its argv[0] is the one given.
  const auto wait_for_argv0 = [](pid_t pid, const std::string& argv0) {
    for (int i = 0; i < test::kPatienceMs / 5; ++i) {
      const std::string cmdline = test::ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
      if (cmdline.substr(0, cmdline.find('\0')) == argv0)
        return true;
      usleep(5000);
    }
    return false;
  };
  ASSERT_TRUE(wait_for_argv0(wine_style.pid(), "C:\\Games\\Emulator\\Cemu.exe"));
  ASSERT_TRUE(wait_for_argv0(unix_style.pid(), "/opt/emu/Cemu.exe"));
  services_.KillByImageName("cemu.exe");
  EXPECT_TRUE(wine_style.WaitExit());
  EXPECT_TRUE(unix_style.WaitExit());
}

TEST_F(KillByImageNameTest, NeverEndsTheCallerAndAnEmptyNameEndsNothing) {
  const auto exe =
      test::CopyExecutable(test::HelperPath("instance_probe"), dir_.path() / "SelfKiller.exe");
  auto twin = Sleeper("selfkiller.exe");
  Child self({exe.string(), "kill", "SELFKILLER.exe"});
  EXPECT_EQ(self.ReadLine().value_or("killed"), "alive");
  EXPECT_TRUE(twin->WaitExit());

  auto survivor = Sleeper("survivor");
  services_.KillByImageName("");
  EXPECT_FALSE(survivor->Exited());
}

// The games the launcher starts, as the tick sees them: each start and each
// end told once, with the number still running, whichever ends first.
TEST(GameLife, EachStartAndEachEndIsToldOnceAndTheRunningGamesCounted) {
  test::TempDir dir;
  test::ProbeServices services;
  std::vector<std::string> told;
  auto subscription = services.WatchGames([&told](GameLife life, int running) {
    told.push_back((life == GameLife::kStarted ? "started " : "ended ") + std::to_string(running));
  });
  const auto name = "tavro-game-" + std::to_string(getpid());
  const auto long_game = test::CopyExecutable("/bin/sleep", dir.path() / name);
  EXPECT_FALSE(services.GameRunning());

  services.StartEmulator({long_game.string(), "", "600"});
  services.StartEmulator({"/bin/sleep", "", "0.2"});
  EXPECT_EQ(told, (std::vector<std::string>{"started 1", "started 2"}));
  // Polled as the tick polls, until the short game has ended.
  const auto poll_until = [&](std::size_t count) {
    for (int i = 0; i < test::kPatienceMs / 10 && told.size() < count; ++i) {
      services.GameRunning();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  };
  poll_until(3);
  EXPECT_EQ(told.back(), "ended 1");
  EXPECT_TRUE(services.GameRunning());

  services.KillByImageName(name);
  poll_until(4);
  EXPECT_EQ(told, (std::vector<std::string>{"started 1", "started 2", "ended 1", "ended 0"}));
  EXPECT_FALSE(services.GameRunning());
  // Ended through its descriptor, whatever it runs as.
  services.StartEmulator({long_game.string(), "", "600"});
  services.EndStartedGames();
  poll_until(6);
  EXPECT_EQ(told.back(), "ended 0");

  // A start that fails is no game; a listener gone hears nothing more.
  EXPECT_THROW(services.StartEmulator({(dir.path() / "none").string(), "", "x"}), RuntimeError);
  EXPECT_FALSE(services.GameRunning());
  subscription = GameSubscription();
  services.StartEmulator({"/bin/sleep", "", "0"});
  for (int i = 0; i < 50 && services.GameRunning(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(told.size(), 6u);
}

}  // namespace
}  // namespace tavro
