#pragma once
// The game controller through the window as a player uses it: one table, run
// in-process through the real view of each build by its PadRig (Qt with an SDL
// virtual pad, Win32 under Wine with the stand-in XInput library), a step per
// tick. The library: Game/ with Alpha.wud, Beta.wux, Gamma.wud, More/Delta.wud;
// Image/Beta.jpg; the stand-in emulator. The focus starts on the drive list;
// the first press only brings it to the game list, so each row starts with a
// press of X and two steps back to the drive list, but for a row marked "!".

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <array>
#include <chrono>
#include <memory>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "window/ViewContract.h"

namespace tavro::test {

struct PadStep {
  std::uint32_t buttons = 0;
  int x = 0, y = 0;      // the left stick, y upwards
  bool in_front = true;  // false: another window is the active one
};

struct PadRig {  // a build's view and services, its pad and event loop
  virtual ~PadRig() = default;
  virtual void Set(const PadStep& step) = 0;
  virtual void Loop(const std::function<bool()>& done) = 0;  // the event loop, until done
  virtual bool FocusShown() = 0;
  // The view's watch of the pad while Form_Load runs.
  virtual void WatchPadWhileLoading(bool on) = 0;
  // Shows a message box as Form_Load does, tick running every 100 ms in the
  // box's own loop; a box still open after 30 ticks past the last step is
  // closed by force, with a failure (a test that hangs tells nothing).
  virtual void MsgBoxTicking(const std::function<void()>& tick) = 0;
  Form1* form = nullptr;
  view::PadView* view = nullptr;
};
using MakePadRig = std::function<std::unique_ptr<PadRig>(const std::string& app)>;
inline constexpr const char* kStandIn = paths::kDriveLetters ? "PadStandIn.exe" : "PadStandIn";

// A tick per word: the buttons held, joined by "+" (CloseCombo's names, or
// R L U D < for the shoulders and the D-pad; "-" none; "X,Y" the stick), "~"
// before it while another window is in front.
inline std::vector<PadStep> Steps(const std::string& words) {
  std::vector<PadStep> steps;
  for (std::string word : text::Split(words, ' ')) {
    PadStep& step = steps.emplace_back();
    step.in_front = !word.starts_with('~');
    word = word.substr(step.in_front ? 0 : 1);
    if (const auto comma = word.find(','); comma != std::string::npos)
      step = {0, std::stoi(word), std::stoi(word.substr(comma + 1)), step.in_front};
    for (auto name : text::Split(word, '+')) {
      const auto at = std::string_view("RLUD<").find(name);
      if (name.size() == 1 && at != std::string_view::npos)
        name = std::array{"rightshoulder", "leftshoulder", "dpup", "dpdown", "dpleft"}[at];
      step.buttons |= ParseControllerSettings(name, "").combo;
    }
  }
  return steps;
}

// The library above in a fresh temporary folder named for key; its path.
// bin: the test program's folder, where the stand-in emulator is built.
inline std::string MakePadLibrary(const std::string& bin, const std::string& key) {
  namespace fs = std::filesystem;
  const fs::path app = fs::temp_directory_path() / ("tavro-pad-" + key);
  fs::remove_all(app);
  for (const char* f : {"Game/Alpha.wud", "Game/Beta.wux", "Game/Gamma.wud", "Game/More/Delta.wud",
                        "Image/Beta.jpg", "Emulator/x"}) {
    fs::create_directories((app / f).parent_path());
    // A bitmap of one pixel: both picture loaders know it by its bytes.
    std::ofstream(app / f, std::ios::binary)
        << std::string("BM:\0\0\0\0\0\0\0006\0\0\0(\0\0\0\1\0\0\0\1\0\0\0\1\0\30\0\0\0\0\0\4", 35)
        << std::string(22, '\0') << "\377";
  }
  fs::copy_file(FsPath(bin) / "stand-in" / "Cemu.exe", app / "Emulator" / kStandIn,
                fs::copy_options::overwrite_existing);
  return Utf8(app);
}

// The form's settings for that library, its game folder shown.
inline void SetUpPadLibrary(Form1& form, const std::string& app) {
  const std::string game = app + paths::Lit({"Game"});
  form.Settings() = {"-g", "-f -g", kStandIn, game, game, {}, {}, {}, {}};
  form.Dir1.SetPath(game);
}

inline void RunPadSequences(const std::string& bin, const MakePadRig& make) {
  const struct {
    const char* what;
    const char* steps;
    std::string outcome;  // focus|file|folder|picture|the emulator's mode|message box
  } table[] = {
      {"shoulders move the focus; down selects and shows the cover", "R - R - D - D",
       "File1|Beta.wux||cover||"},
      {"left goes round to the last control without choosing it", "< - R - R - R - D - start",
       "File1|Alpha.wud||logo|-g|"},
      {"down highlights a folder, A opens it", "R - D - a", "Dir1||More|logo||"},
      {"B goes one folder up", "R - D - a - b", "Dir1|||logo||"},
      {"A chooses full screen; Start plays", "L - L - a - R - R - R - R - D - U - start",
       "File1|Alpha.wud||logo|-f -g|"},
      {"Start without a game: A closes the box", "start - a", "Drive1|||logo||box"},
      {"a held direction repeats after half a second", "R - R - D D D D D D",
       "File1|Beta.wux||cover||"},
      {"two at once, or one while another is held: nothing", "R - R - D+a - x x+D",
       "File1|||logo||"},
      {"the stick: within the dead zone or aslant nothing; pushed down, down",
       "R - R - 5000,-12000 - 20000,-20000 - -900,-30000", "File1|Alpha.wud||logo||"},
      {"the close combination plays nothing, whichever button came first",
       "R - R - D - back+start back+start start - start back+start", "File1|Alpha.wud||logo||"},
      {"another window in front: nothing; still held as the launcher comes back: nothing",
       "~R ~- ~start ~- ~R R - R", "Dir1|||logo||"},
      {"!the first press, Start, only brings the focus to the games", "start - D",
       "File1|Alpha.wud||logo||"},
      {"A on a game plays it", "R - R - D - a", "File1|Alpha.wud||logo|-g|"},
      {"the drive list opens and closes with B, no drive changed", "D - D - b - R",
       "Dir1|||logo||"},
      {"only directions repeat: A held on Play Game starts one game",
       "R - R - D - R - R - R a a a a a a a a", "Command1|Alpha.wud||logo|-g|"},
      // Gamma has no cover: Beta's, passed on the way, stays.
      {"down on the last entry stays there, no box", "R - R - D D D D D D D D D D D",
       "File1|Gamma.wud||cover||"},
  };
  namespace fs = std::filesystem;
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    const fs::path app = FsPath(MakePadLibrary(bin, std::to_string(&row - table)));
    const std::string game = Utf8(app) + paths::Lit({"Game"});
    const auto rig = make(Utf8(app));
    Form1& form = *rig->form;
    SetUpPadLibrary(form, Utf8(app));
    // First a tick with nothing held: what is held as the window comes up waits.
    const bool first = row.what[0] == '!';
    const std::vector<PadStep> steps =
        Steps(std::string(first ? "- " : "- x - < - < - ") + row.steps + " - - - -");
    std::size_t at = 0;
    std::string box;  // "box" once one showed, "left open" when A did not close it
    form.Timer1.Tick = [&] {
      rig->Set(at < steps.size() ? steps[at] : PadStep{});
      if (rig->view->MessageBoxOpen() && (box = at < steps.size() ? "box" : "left open") != "box")
        rig->view->CloseMessageBox();
      ++at;
      form.Timer1_Timer();
    };
    rig->Loop([&] { return at > steps.size(); });

    // The emulator's record of its arguments (exactly); none comes within a moment.
    const std::vector<std::string> want = text::Split(row.outcome, '|');
    const std::string path = game + paths::Lit({want[1]});
    std::string expected =
        Utf8(app / "Emulator" / kStandIn) + " " + want[4] + " \"" + path + "\"\r\n";
    if (!paths::kDriveLetters)  // one line per argument, then an empty one
      expected = text::ReplaceAll(want[4], " ", "\n") + "\n" + path + "\n\n";
    std::string got;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    rig->Loop([&] {
      std::ifstream in(app / "Emulator" / "received-command-line.txt", std::ios::binary);
      got.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      return got == expected || (want[4].empty() && std::chrono::steady_clock::now() > until);
    });
    const std::string& shown = form.Dir1.Path();
    const Control* focused = rig->view->FocusedControl();
    EXPECT_EQ((focused ? focused->Id() : "") + "|" + form.File1.FileName() + "|" +
                  (shown == game ? "" : Utf8(FsPath(shown).filename())) + "|" +
                  (form.Picture1.Picture() == form.Picture2.Picture() ? "logo" : "cover") + "|" +
                  (got == expected ? want[4] : got) + "|" + box,
              row.outcome);
    EXPECT_TRUE(want[0] == "Drive1" || rig->FocusShown());
    if (!got.empty())
      form.Runtime().processes.KillByImageName(kStandIn);
  }
}

// While Form_Load runs, the pad closes the launcher's message boxes with A or
// B, and does nothing else: the window's timer is not running yet.
inline void RunStartUpBoxes(const std::string& bin, const MakePadRig& make) {
  const struct {
    const char* steps;
    bool closed;
  } table[] = {{"- a -", true}, {"- b -", true}, {"- x - D - start -", false}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.steps);
    const std::string app = MakePadLibrary(bin, "start-up");
    const auto rig = make(app);
    Form1& form = *rig->form;
    SetUpPadLibrary(form, app);
    form.Timer1.Stop();
    rig->Set({});  // the launcher in front
    rig->WatchPadWhileLoading(true);
    const std::vector<PadStep> steps = Steps(row.steps);
    std::size_t at = 0;
    bool left_open = false;
    rig->MsgBoxTicking([&] {
      rig->Set(at < steps.size() ? steps[at] : PadStep{});
      // Half a second after the last step a box still open is closed here.
      if (++at == steps.size() + 5 && rig->view->MessageBoxOpen()) {
        left_open = true;
        rig->view->CloseMessageBox();
      }
    });
    rig->WatchPadWhileLoading(false);
    EXPECT_EQ(!left_open, row.closed);
    EXPECT_EQ(form.File1.FileName(), "");
    EXPECT_FALSE(form.Runtime().processes.GameRunning());
  }
}

}  // namespace tavro::test
