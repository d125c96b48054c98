#pragma once
// The game controller through the window as a player uses it: one table, run
// in-process through the real view of each build (Qt with an SDL virtual pad,
// Win32 under Wine with the stand-in XInput library), one step per tick of
// the window's timer. The library: Game/ with Alpha.wud, Beta.wux, Gamma.wud
// and More/Delta.wud, Image/Beta.jpg, the stand-in emulator; the window opens
// on Game/ with the focus on the drive list.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "runtime/FileSystem.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "window/Form1.h"

namespace tavro::test {

struct PadStep {
  std::uint32_t buttons = 0;
  int x = 0, y = 0;      // the left stick, y upwards
  bool in_front = true;  // false: another window is the active one
};

// What a build supplies: its view and services over the library, the pad,
// the event loop, and what only the view can tell.
struct PadRig {
  virtual ~PadRig() = default;
  virtual Form1& Form() = 0;
  virtual void Set(const PadStep& step) = 0;
  virtual void Loop(const std::function<bool()>& done, int most_ms) = 0;
  virtual std::string Focused() = 0;
  virtual bool FocusShown() = 0;
  virtual bool CloseBoxLeftOpen() = 0;                  // true when one was
  virtual const std::vector<std::string>& Boxes() = 0;  // the message boxes shown
};
std::unique_ptr<PadRig> MakePadRig(const std::string& app);
inline constexpr const char* kStandIn = paths::kDriveLetters ? "PadStandIn.exe" : "PadStandIn";

namespace pad {
using Steps = std::vector<PadStep>;
constexpr auto kA = PadBits({PadButton::kA}), kB = PadBits({PadButton::kB}),
               kX = PadBits({PadButton::kX}), kStart = PadBits({PadButton::kStart}),
               kBack = PadBits({PadButton::kBack}), kUp = PadBits({PadButton::kDpadUp}),
               kDown = PadBits({PadButton::kDpadDown}), kLeft = PadBits({PadButton::kDpadLeft}),
               kRb = PadBits({PadButton::kRightShoulder}),
               kLb = PadBits({PadButton::kLeftShoulder});
// Each pressed for a tick and let go for one; held for some ticks.
inline Steps Taps(std::vector<std::uint32_t> buttons, bool in_front = true) {
  Steps steps;
  for (const auto b : buttons)
    steps.insert(steps.end(), {{b, 0, 0, in_front}, {0, 0, 0, in_front}});
  return steps;
}
inline Steps Hold(std::uint32_t buttons, int ticks, bool in_front = true) {
  return Steps(static_cast<std::size_t>(ticks), PadStep{buttons, 0, 0, in_front});
}
inline Steps operator+(Steps a, const Steps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
}  // namespace pad

// Each row in a library, window and services of its own. bin: the folder of
// the test program, beside which the stand-in emulator is built.
inline void RunPadSequences(const std::string& bin) {
  using namespace pad;
  const struct {
    const char* what;
    Steps steps;
    std::string focus, file, folder, picture, mode = "", box = "";  // mode: the emulator got it
  } table[] = {
      {"shoulders move the focus; down selects and shows the cover", Taps({kRb, kRb, kDown, kDown}),
       "File1", "Beta.wux", "", "cover", "", ""},
      {"left goes round to the last control without choosing it",
       Taps({kLeft, kRb, kRb, kRb, kDown, kStart}), "File1", "Alpha.wud", "", "logo", "-g", ""},
      {"down highlights a folder, A opens it", Taps({kRb, kDown, kA}), "Dir1", "", "More", "logo"},
      {"B goes one folder up", Taps({kRb, kDown, kA, kB}), "Dir1", "", "", "logo"},
      {"A chooses full screen; Start plays", Taps({kLb, kA, kRb, kRb, kRb, kDown, kUp, kStart}),
       "File1", "Alpha.wud", "", "logo", "-f -g", ""},
      {"Start without a game: A closes the box", Taps({kStart, kA}), "Drive1", "", "", "logo", "",
       "No Game Select!"},
      {"a held direction repeats after half a second", Taps({kRb, kRb}) + Hold(kDown, 6), "File1",
       "Beta.wux", "", "cover"},
      {"two at once, or one while another is held: nothing",
       Taps({kRb, kRb, kDown | kA}) + Hold(kX, 1) + Hold(kX | kDown, 1), "File1", "", "", "logo"},
      {"the stick: within the dead zone or aslant nothing; pushed down, down",
       Taps({kRb, kRb}) + Steps{{0, 5000, -12000}, {}, {0, 20000, -20000}, {}, {0, -900, -30000}},
       "File1", "Alpha.wud", "", "logo"},
      {"the close combination plays nothing, whichever button came first",
       Taps({kRb, kRb, kDown}) + Hold(kBack | kStart, 3) + Hold(kStart, 2) + Taps({0}) +
           Hold(kStart, 1) + Hold(kStart | kBack, 2),
       "File1", "Alpha.wud", "", "logo"},
      {"another window in front: nothing; still held as the launcher comes back: nothing",
       Taps({kRb, kStart}, false) + Hold(kRb, 2, false) + Hold(kRb, 2) + Taps({0, kRb}), "Dir1", "",
       "", "logo"},
  };
  namespace fs = std::filesystem;
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    const fs::path app = fs::temp_directory_path() / ("tavro-pad-" + std::to_string(&row - table));
    fs::remove_all(app);
    for (const char* f : {"Game/Alpha.wud", "Game/Beta.wux", "Game/Gamma.wud",
                          "Game/More/Delta.wud", "Image/Beta.jpg"}) {
      fs::create_directories((app / f).parent_path());
      // A bitmap of one pixel, which both picture loaders know by its bytes.
      std::ofstream(app / f, std::ios::binary)
          << std::string(
                 "BM:\0\0\0\0\0\0\0006\0\0\0(\0\0\0\1\0\0\0\1\0\0\0\1\0\30\0\0\0\0\0\4\0\0\0", 38)
          << std::string(18, '\0') << "\377" << '\0';
    }
    fs::create_directories(app / "Emulator");
    fs::copy_file(FsPath(bin) / "stand-in" / "Cemu.exe", app / "Emulator" / kStandIn,
                  fs::copy_options::overwrite_existing);
    const std::string game = Utf8(app) + paths::Lit({"Game"});
    auto rig = MakePadRig(Utf8(app));
    Form1& form = rig->Form();
    form.Settings() = {"-g", "-f -g", kStandIn, game, game, {}};
    form.Dir1.SetPath(game);
    // First a tick with nothing held: what is held as the window comes up waits.
    const Steps steps = Steps(1) + row.steps + Steps(4);
    std::size_t at = 0;
    bool left_open = false;
    form.Timer1.Tick = [&] {
      rig->Set(at < steps.size() ? steps[at] : PadStep{});
      left_open = (at++ >= steps.size() && rig->CloseBoxLeftOpen()) || left_open;
      form.Timer1_Timer();
    };
    rig->Loop([&] { return at > steps.size(); }, 30000);

    // The emulator's record of its arguments, exactly; none shows within a moment.
    std::string expected = Utf8(app / "Emulator" / kStandIn) + " " + row.mode + " \"" + game +
                           paths::Lit({row.file}) + "\"\r\n";
    if (!paths::kDriveLetters) {
      expected.clear();
      for (const auto& word : text::Split(row.mode, ' '))
        expected += word + "\n";
      expected += game + paths::Lit({row.file}) + "\n\n";
    }
    std::string got;
    rig->Loop(
        [&] {
          std::ifstream in(app / "Emulator" / "received-command-line.txt", std::ios::binary);
          got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
          return !row.mode.empty() && got == expected;
        },
        row.mode.empty() ? 300 : 10000);
    EXPECT_EQ(rig->Focused(), row.focus);
    EXPECT_EQ(form.File1.FileName(), row.file);
    EXPECT_EQ(form.Dir1.Path(), row.folder.empty() ? game : game + paths::Lit({row.folder}));
    EXPECT_EQ(form.Picture1.Picture() == form.Picture2.Picture() ? "logo" : "cover", row.picture);
    EXPECT_EQ(got, row.mode.empty() ? "" : expected);
    EXPECT_EQ(rig->Boxes(), row.box.empty() ? std::vector<std::string>{} : std::vector{row.box});
    EXPECT_FALSE(left_open);
    EXPECT_TRUE(row.focus == "Drive1" || rig->FocusShown());
    if (!got.empty())
      form.Runtime().KillByImageName(kStandIn);
    rig.reset();
    std::error_code ignore;
    fs::remove_all(app, ignore);
  }
}

}  // namespace tavro::test
