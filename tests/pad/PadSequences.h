#pragma once
// The game controller through the window as a player uses it: one table, run
// in-process through the real view of each build (Qt with an SDL virtual pad,
// Win32 under Wine with the stand-in XInput library) by the PadRig each
// supplies; one step per tick of the window's timer. The library: Game/ with
// Alpha.wud, Beta.wux, Gamma.wud and More/Delta.wud, Image/Beta.jpg, the
// stand-in emulator; the window opens on Game/ with the focus on the drives.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/FileSystem.h"
#include "runtime/PathLiterals.h"
#include "window/Form1.h"

namespace tavro::test {

struct PadStep {
  std::uint32_t buttons = 0;
  int x = 0, y = 0;      // the left stick, y upwards
  bool in_front = true;  // false: another window is the active one
};

// What a build's test supplies: the real view and services over the
// library, the pad, and the view's event loop.
class PadRig {
 public:
  virtual ~PadRig() = default;
  virtual Form1& Form() = 0;
  virtual void Set(const PadStep& step) = 0;
  virtual void Loop(const std::function<bool()>& done, int most_ms) = 0;
  virtual std::string Focused() = 0;
  virtual bool FocusShown() = 0;
  virtual bool CloseBoxLeftOpen() = 0;                  // true when one was
  virtual const std::vector<std::string>& Boxes() = 0;  // the message boxes shown
  virtual std::string Record(const std::string& mode, const std::string& game) = 0;
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
// Each pressed for a tick and let go for one; held for a number of ticks.
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

// Runs every row; each in a library, window and services of its own.
inline void RunPadSequences(const std::string& bin) {
  using namespace pad;
  const struct {
    const char* what;
    Steps steps;
    std::string outcome;  // focus, file, folder, cover, emulator's mode, message box
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
  // A picture of one pixel (a bitmap), which both loaders know by its bytes.
  const unsigned char kBmp[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0,   0, 0,  40,
                                  0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1,   0, 24, 0,
                                  0,   0,   0,  0, 4, 0, 0, 0, 0, 0, 0,  0,   0, 0,  0,
                                  0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  255, 0};
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    const fs::path app = fs::temp_directory_path() / ("tavro-pad-" + std::to_string(&row - table));
    fs::remove_all(app);
    for (const char* f : {"Game/Alpha.wud", "Game/Beta.wux", "Game/Gamma.wud",
                          "Game/More/Delta.wud", "Image/Beta.jpg"}) {
      fs::create_directories((app / f).parent_path());
      std::ofstream(app / f, std::ios::binary).write(reinterpret_cast<const char*>(kBmp), 58);
    }
    fs::create_directories(app / "Emulator");
    fs::copy_file(FsPath(bin) / "stand-in" / "Cemu.exe", app / "Emulator" / kStandIn,
                  fs::copy_options::overwrite_existing);
    const std::string game = Utf8(app) + paths::Lit({"Game"});
    auto rig = MakePadRig(Utf8(app));
    Form1& form = rig->Form();
    form.Settings() = {"-g", "-f -g", kStandIn, game, game, {}};
    form.Dir1.SetPath(game);
    // A tick with nothing held first: what is held as the window comes up
    // waits for its release.
    const Steps steps = Steps(1) + row.steps + Steps(4);
    std::size_t at = 0;
    bool left_open = false;
    form.Timer1.Tick = [&] {
      rig->Set(at < steps.size() ? steps[at] : PadStep{});
      left_open = (at++ >= steps.size() && rig->CloseBoxLeftOpen()) || left_open;
      form.Timer1_Timer();
    };
    rig->Loop([&] { return at > steps.size(); }, 30000);

    std::vector<std::string> want;
    std::stringstream fields(row.outcome);
    for (std::string field; std::getline(fields, field, '|');)
      want.push_back(field);
    want.resize(6);
    // The emulator's record, with the exact arguments; none shows within a moment.
    const fs::path record = app / "Emulator" / "received-command-line.txt";
    const std::string expected = rig->Record(want[4], game + paths::Lit({want[1]}));
    std::string got;
    rig->Loop(
        [&] {
          std::ifstream in(record, std::ios::binary);
          got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
          return !want[4].empty() && got == expected;
        },
        want[4].empty() ? 300 : 10000);
    std::string outcome =
        rig->Focused() + "|" + form.File1.FileName() + "|" +
        (form.Dir1.Path() == game ? "" : Utf8(FsPath(form.Dir1.Path()).filename())) + "|" +
        (form.Picture1.Picture() != form.Picture2.Picture() ? "cover" : "logo") + "|" +
        (got.empty()       ? ""
         : got == expected ? want[4]
                           : got) +
        "|";
    for (const auto& box : rig->Boxes())
      outcome += box;
    EXPECT_EQ(outcome, row.outcome);
    EXPECT_FALSE(left_open);
    EXPECT_TRUE(want[0] == "Drive1" || rig->FocusShown());
    if (!got.empty())
      form.Runtime().KillByImageName(kStandIn);
    rig.reset();
    std::error_code ignore;
    fs::remove_all(app, ignore);
  }
}

}  // namespace tavro::test
