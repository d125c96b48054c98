#pragma once
// The game controller through the window as a player uses it: one table, run
// in-process through the real view of each build by its PadRig (Qt with an SDL
// virtual pad, Win32 under Wine with the stand-in XInput library), a step per
// tick. The library: Game/ with Alpha.wud, Beta.wux, Gamma.wud, More/Delta.wud;
// Image/Beta.jpg; the stand-in emulator. The focus starts on the drive list.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "runtime/FileSystem.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro::test {

struct PadStep {
  std::uint32_t buttons = 0;
  int x = 0, y = 0;      // the left stick, y upwards
  bool in_front = true;  // false: another window is the active one
};

struct PadRig {  // a build's view, services, pad and event loop
  virtual ~PadRig() = default;
  virtual Form1& Form() = 0;
  virtual view::PadView& View() = 0;
  virtual void Set(const PadStep& step) = 0;
  virtual void Loop(const std::function<bool()>& done, int most_ms) = 0;
  virtual bool FocusShown() = 0;
  std::string boxes;  // the message boxes shown
};
using MakePadRig = std::function<std::unique_ptr<PadRig>(const std::string& app)>;
inline constexpr const char* kStandIn = paths::kDriveLetters ? "PadStandIn.exe" : "PadStandIn";

namespace pad {
using Steps = std::vector<PadStep>;
constexpr auto kA = PadBits({PadButton::kA}), kB = PadBits({PadButton::kB}),
               kX = PadBits({PadButton::kX}), kStart = PadBits({PadButton::kStart}),
               kBack = PadBits({PadButton::kBack}), kUp = PadBits({PadButton::kDpadUp}),
               kDown = PadBits({PadButton::kDpadDown}), kLeft = PadBits({PadButton::kDpadLeft}),
               kRb = PadBits({PadButton::kRightShoulder}),
               kLb = PadBits({PadButton::kLeftShoulder});
inline Steps Hold(std::uint32_t buttons, int ticks, bool in_front = true) {
  return Steps(static_cast<std::size_t>(ticks), PadStep{buttons, 0, 0, in_front});
}
inline Steps operator+(Steps a, const Steps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
inline Steps Taps(std::vector<std::uint32_t> buttons, bool in_front = true) {
  Steps steps;  // each pressed for a tick and let go for one
  for (const auto b : buttons)
    steps = steps + Hold(b, 1, in_front) + Hold(0, 1, in_front);
  return steps;
}
}  // namespace pad

// bin: the test program's folder, where the stand-in emulator is built.
inline void RunPadSequences(const std::string& bin, const MakePadRig& make) {
  using namespace pad;
  const struct {
    const char* what;
    Steps steps;
    std::string outcome;  // focus|file|folder|picture|the emulator's mode|message box
  } table[] = {
      {"shoulders move the focus; down selects and shows the cover", Taps({kRb, kRb, kDown, kDown}),
       "File1|Beta.wux||cover||"},
      {"left goes round to the last control without choosing it",
       Taps({kLeft, kRb, kRb, kRb, kDown, kStart}), "File1|Alpha.wud||logo|-g|"},
      {"down highlights a folder, A opens it", Taps({kRb, kDown, kA}), "Dir1||More|logo||"},
      {"B goes one folder up", Taps({kRb, kDown, kA, kB}), "Dir1|||logo||"},
      {"A chooses full screen; Start plays", Taps({kLb, kA, kRb, kRb, kRb, kDown, kUp, kStart}),
       "File1|Alpha.wud||logo|-f -g|"},
      {"Start without a game: A closes the box", Taps({kStart, kA}),
       "Drive1|||logo||No Game Select!"},
      {"a held direction repeats after half a second", Taps({kRb, kRb}) + Hold(kDown, 6),
       "File1|Beta.wux||cover||"},
      {"two at once, or one while another is held: nothing",
       Taps({kRb, kRb, kDown | kA}) + Hold(kX, 1) + Hold(kX | kDown, 1), "File1|||logo||"},
      {"the stick: within the dead zone or aslant nothing; pushed down, down",
       Taps({kRb, kRb}) + Steps{{0, 5000, -12000}, {}, {0, 20000, -20000}, {}, {0, -900, -30000}},
       "File1|Alpha.wud||logo||"},
      {"the close combination plays nothing, whichever button came first",
       Taps({kRb, kRb, kDown}) + Hold(kBack | kStart, 3) + Hold(kStart, 2) + Taps({0}) +
           Hold(kStart, 1) + Hold(kStart | kBack, 2),
       "File1|Alpha.wud||logo||"},
      {"another window in front: nothing; still held as the launcher comes back: nothing",
       Taps({kRb, kStart}, false) + Hold(kRb, 2, false) + Hold(kRb, 2) + Taps({0, kRb}),
       "Dir1|||logo||"},
  };
  namespace fs = std::filesystem;
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    const fs::path app = fs::temp_directory_path() / ("tavro-pad-" + std::to_string(&row - table));
    fs::remove_all(app);
    for (const char* f : {"Game/Alpha.wud", "Game/Beta.wux", "Game/Gamma.wud",
                          "Game/More/Delta.wud", "Image/Beta.jpg", "Emulator/x"}) {
      fs::create_directories((app / f).parent_path());
      // A bitmap of one pixel: both picture loaders know it by its bytes.
      std::ofstream(app / f, std::ios::binary)
          << std::string("BM:\0\0\0\0\0\0\0006\0\0\0(\0\0\0\1\0\0\0\1\0\0\0\1\0\30\0\0\0\0\0\4", 35)
          << std::string(22, '\0') << "\377";
    }
    fs::copy_file(FsPath(bin) / "stand-in" / "Cemu.exe", app / "Emulator" / kStandIn,
                  fs::copy_options::overwrite_existing);
    const std::string game = Utf8(app) + paths::Lit({"Game"});
    const auto rig = make(Utf8(app));
    Form1& form = rig->Form();
    form.Settings() = {"-g", "-f -g", kStandIn, game, game, {}};
    form.Dir1.SetPath(game);
    // First a tick with nothing held: what is held as the window comes up waits.
    const Steps steps = Hold(0, 1) + row.steps + Hold(0, 4);
    std::size_t at = 0;
    bool left_open = false;
    form.Timer1.Tick = [&] {
      rig->Set(at < steps.size() ? steps[at] : PadStep{});
      if (at++ >= steps.size() && rig->View().MessageBoxOpen()) {
        left_open = true;
        rig->View().CloseMessageBox();
      }
      form.Timer1_Timer();
    };
    rig->Loop([&] { return at > steps.size(); }, 30000);

    // The emulator's record of its arguments (exactly); none comes within a moment.
    const std::vector<std::string> want = text::Split(row.outcome, '|');
    const std::string path = game + paths::Lit({want[1]});
    std::string expected =
        Utf8(app / "Emulator" / kStandIn) + " " + want[4] + " \"" + path + "\"\r\n";
    if (!paths::kDriveLetters)  // one line per argument, then an empty one
      expected = text::ReplaceAll(want[4], " ", "\n") + "\n" + path + "\n\n";
    std::string got;
    rig->Loop(
        [&] {
          std::ifstream in(app / "Emulator" / "received-command-line.txt", std::ios::binary);
          got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
          return !want[4].empty() && got == expected;
        },
        want[4].empty() ? 300 : 10000);
    const std::string& shown = form.Dir1.Path();
    const Control* focused = rig->View().FocusedControl();
    EXPECT_EQ((focused ? focused->Id() : "") + "|" + form.File1.FileName() + "|" +
                  (shown == game ? "" : Utf8(FsPath(shown).filename())) + "|" +
                  (form.Picture1.Picture() == form.Picture2.Picture() ? "logo" : "cover") + "|" +
                  (got == expected ? want[4] : got) + "|" + rig->boxes,
              row.outcome);
    EXPECT_FALSE(left_open);
    EXPECT_TRUE(want[0] == "Drive1" || rig->FocusShown());
    if (!got.empty())
      form.Runtime().KillByImageName(kStandIn);
  }
}

}  // namespace tavro::test
