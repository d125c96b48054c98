// Play Game: the emulator's command, exactly, and every way a launch can end.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/SafeNames.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "settings/Module_FirstStartApp.h"
#include "settings/Module_Load.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::WriteAll;

// A launcher in a folder of its own name, games under Game/, the emulator in
// place unless a case takes it away.
struct Launcher {
  explicit Launcher(const std::string& folder_name) : app(folder_name) {
    PrepareFirstStart(services.AppFolder(), services);
    form.LoadSettings();
    Put(Emulator(), "exe");
    // Elsewhere, so that showing a game folder is a change that lists it.
    form.Dir1.SetPath(app.Utf8());
  }
  std::string Under(std::initializer_list<std::string_view> parts) const {
    return app.Utf8() + paths::Lit(parts);
  }
  std::string Emulator() const { return Under({"Emulator", "Cemu.exe"}); }
  static void Put(const std::string& path, const std::string& bytes = "x") {
    fs::create_directories(FsPath(path).parent_path());
    WriteAll(FsPath(path), bytes);
  }
  void Select(const std::string& name) {
    const auto& list = form.File1.List();
    const auto it = std::find(list.begin(), list.end(), name);
    ASSERT_NE(it, list.end()) << name;
    view::PickFile(form, static_cast<int>(it - list.begin()));
  }
  void Play() { view::Click(form, form.Command1); }

  test::TempDir app;
  test::FakeServices services{app.Utf8()};
  Form1 form{services};
  OptionButton spare{Form1Control("Option1(1)")};
};

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

TEST(Launch, BuildsTheExactCommandForEveryChoice) {
  struct Case {
    const char* what;
    const char* folder;                           // the launcher's folder name
    std::function<std::string(Launcher&)> setup;  // returns the game path expected
    std::string mode;                             // the mode text expected
  };
  const std::string sep(paths::kSep);
  const std::vector<Case> table = {
      {"disc image, windowed", "tavro",
       [](Launcher& l) {
         l.Put(l.Under({"Game", "WUD_WUX", "Puzzle.wud"}));
         l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
         l.Select("Puzzle.wud");
         return l.Under({"Game", "WUD_WUX", "Puzzle.wud"});
       },
       "-g"},
      {"disc image, full screen", "tavro",
       [](Launcher& l) {
         l.Put(l.Under({"Game", "WUD_WUX", "Puzzle.wux"}));
         l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
         l.Select("Puzzle.wux");
         view::SelectOption(l.form, l.form.Option1[1]);
         return l.Under({"Game", "WUD_WUX", "Puzzle.wux"});
       },
       "-f -g"},
      {"empty mode text: two blanks", "tavro",
       [](Launcher& l) {
         l.form.Settings().WinMode = "";
         l.Put(l.Under({"Game", "WUD_WUX", "A.wud"}));
         l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
         l.Select("A.wud");
         return l.Under({"Game", "WUD_WUX", "A.wud"});
       },
       ""},
      {"rpx in its code folder", "tavro",
       [](Launcher& l) {
         l.Put(l.Under({"Game", "RPX", "Puzzle", "code", "Puzzle.rpx"}));
         view::SelectOption(l.form, l.form.Option2[1]);
         l.form.Dir1.SetPath(l.Under({"Game", "RPX", "Puzzle"}));
         l.Select("Puzzle.rpx");
         return l.Under({"Game", "RPX", "Puzzle", "code", "Puzzle.rpx"});
       },
       "-g"},
      {"rpx listed from the folder itself is still named under code", "tavro",
       [](Launcher& l) {
         l.Put(l.Under({"Game", "RPX", "Loose", "Loose.rpx"}));
         view::SelectOption(l.form, l.form.Option2[1]);
         l.form.Dir1.SetPath(l.Under({"Game", "RPX", "Loose"}));
         l.Select("Loose.rpx");
         return l.Under({"Game", "RPX", "Loose", "code", "Loose.rpx"});
       },
       "-g"},
      {"blanks and Unicode everywhere; the game gone since listing", "Tavro \xC3\xBC \xE6\x97\xA5",
       [](Launcher& l) {
         const std::string game =
             l.Under({"Game", "WUD_WUX", "Spiel f\xC3\xBCr 2 \xF0\x9F\x8E\xAE.wud"});
         l.Put(game);
         l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
         l.Select("Spiel f\xC3\xBCr 2 \xF0\x9F\x8E\xAE.wud");
         fs::remove(FsPath(game));
         return game;
       },
       "-g"},
      {"a hostile name is one piece of text", "tavro",
       [](Launcher& l) {
         const std::string name =
             paths::kDriveLetters ? "a'; rm -rf ~; '.wud" : "a\"; rm -rf ~; \".wud";
         l.Put(l.Under({"Game", "WUD_WUX", name}));
         l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
         l.Select(name);
         return l.Under({"Game", "WUD_WUX", name});
       },
       "-g"},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    Launcher l(c.folder);
    const std::string game = c.setup(l);
    l.Play();
    ASSERT_EQ(l.services.emulators.size(), 1u);
    const auto& cmd = l.services.emulators[0];
    EXPECT_EQ(cmd.program, l.Emulator());
    EXPECT_EQ(cmd.mode_text, c.mode);
    EXPECT_EQ(cmd.game_path, game);
    const std::string program =
        cmd.program.find(' ') == std::string::npos ? cmd.program : Quoted(cmd.program);
    EXPECT_EQ(cmd.CommandLine(), program + " " + c.mode + " " + Quoted(game));
    EXPECT_TRUE(l.services.messages.empty());
  }
}

TEST(Launch, RefusesOrReportsWithOneBoxAndStartsNothing) {
  struct Case {
    const char* what;
    std::function<void(Launcher&)> setup;
    std::string prompt;  // "" for no box at all
    std::string title;
  };
  const auto select_game = [](Launcher& l) {
    l.Put(l.Under({"Game", "WUD_WUX", "G.wud"}));
    l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
    l.Select("G.wud");
  };
  const std::vector<Case> table = {
      {"nothing selected", [](Launcher&) {}, "No Game Select!", "Error"},
      {"emulator missing",
       [&](Launcher& l) {
         select_game(l);
         fs::remove(FsPath(l.Emulator()));
       },
       "File Doesn't Exist\r\n=> Cemu.exe", "Alert!"},
      {"a folder named like the emulator",
       [&](Launcher& l) {
         select_game(l);
         fs::remove(FsPath(l.Emulator()));
         fs::create_directories(FsPath(l.Emulator()));
       },
       "File Doesn't Exist\r\n=> Cemu.exe", "Alert!"},
      {"empty FileExe names the folder: no file",
       [&](Launcher& l) {
         select_game(l);
         l.form.Settings().FileExe = "";
       },
       "File Doesn't Exist\r\n=> ", "Alert!"},
      {"the start fails",
       [&](Launcher& l) {
         select_game(l);
         l.services.fail_starts = true;
       },
       "Error in Load Cemu.exe!", "Error"},
      {"the system cannot take the emulator's path: the box says why",
       [&](Launcher& l) {
         select_game(l);
         l.services.start_refused = "the path is too long";
       },
       "Error in Load Cemu.exe!\r\n=> the path is too long", "Error"},
      {"a batch file given a quote it cannot pass on",
       [&](Launcher& l) {
         select_game(l);
         l.form.Settings().FileExe = "Run.bat";
         l.Put(l.Under({"Emulator", "Run.bat"}));
         l.form.Settings().WinMode = "-g \"x\"";
         l.services.fail_starts = !paths::kBatchFiles;  // no batch files: a failed start
       },
       paths::kBatchFiles
           ? "Error in Load Run.bat!\r\n=> the mode text holds a \" a batch file cannot be given"
           : "Error in Load Run.bat!",
       "Error"},
      {"a long FileExe shows its two ends",
       [&](Launcher& l) {
         select_game(l);
         l.form.Settings().FileExe = "\xC3\xA9" + std::string(300, 'x') + "\xF0\x9F\x8E\xAE";
       },
       "File Doesn't Exist\r\n=> \xC3\xA9" + std::string(127, 'x') + "\xE2\x80\xA6" +
           std::string(127, 'x') + "\xF0\x9F\x8E\xAE",
       "Alert!"},
      {"no display mode selected",
       [&](Launcher& l) {
         select_game(l);
         // A third button of the group takes the selection from both.
         l.spare.JoinGroup({&l.spare, &l.form.Option1[0], &l.form.Option1[1]});
         l.spare.Select();
       },
       "", ""},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    Launcher l("tavro");
    c.setup(l);
    l.Play();
    EXPECT_TRUE(l.services.emulators.empty());
    if (c.prompt.empty()) {
      EXPECT_TRUE(l.services.messages.empty());
    } else {
      ASSERT_EQ(l.services.messages.size(), 1u);
      EXPECT_EQ(l.services.messages[0].prompt, c.prompt);
      EXPECT_EQ(l.services.messages[0].title, c.title);
    }
  }
}

TEST(Launch, ANameIsShortenedInABoxOnlyPastTwoHundredAndSixtyCharacters) {
  const std::string e = "\xC3\xA9", pad = "\xF0\x9F\x8E\xAE";  // two and four bytes
  const std::string ellipsis = "\xE2\x80\xA6";
  auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
      out += s;
    return out;
  };
  const std::pair<std::string, std::string> table[] = {
      {"", ""},
      {times(e, 260), times(e, 260)},  // 520 bytes, 260 characters: whole
      {times(e, 261), times(e, 128) + ellipsis + times(e, 128)},
      {times(pad, 65536), times(pad, 128) + ellipsis + times(pad, 128)},
      {std::string(1000, 'a') + "b",
       std::string(128, 'a') + ellipsis + std::string(127, 'a') + "b"},
  };
  for (const auto& [name, shown] : table)
    EXPECT_EQ(text::NameForBox(name), shown) << name.size();
}

TEST(Launch, AFlatpakWinsOverTheFileWherePlatformRunsThem) {
  constexpr char kId[] = "info.cemu.Cemu";
  struct Case {
    const char* what;
    bool runs_flatpaks, installed, file_there, start_fails;
    std::string flatpak, started, prompt;
  } const table[] = {
      {"installed, no file", true, true, false, false, kId, "flatpak|info.cemu.Cemu|-g|", ""},
      {"not installed, the file there", true, false, true, false, kId, "",
       "File Doesn't Exist\r\n=> info.cemu.Cemu"},
      {"the start fails", true, true, true, true, kId, "", "Error in Load info.cemu.Cemu!"},
      {"no Flatpak set", true, true, true, false, "", "emu|", ""},
      {"a platform without Flatpak", false, true, true, false, kId, "emu|", ""},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    Launcher l("tavro");
    l.Put(l.Under({"Game", "WUD_WUX", "G.wud"}));
    l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
    l.Select("G.wud");
    if (!c.file_there)
      fs::remove(FsPath(l.Emulator()));
    l.form.Settings().Flatpak = c.flatpak;
    l.services.runs_flatpaks = c.runs_flatpaks;
    if (c.installed)
      l.services.flatpaks_installed.insert(kId);
    l.services.fail_starts = c.start_fails;
    l.Play();
    const std::string game = l.Under({"Game", "WUD_WUX", "G.wud"});
    if (c.started.empty()) {
      EXPECT_TRUE(l.services.started.empty());
    } else {
      ASSERT_EQ(l.services.started.size(), 1u);
      const std::string want =
          c.started == "emu|" ? "emu|" + l.services.emulators[0].CommandLine() : c.started + game;
      EXPECT_EQ(l.services.started[0], want);
      if (c.started == "emu|") {
        EXPECT_EQ(l.services.emulators[0].program, l.Emulator());
      }
    }
    if (c.prompt.empty()) {
      EXPECT_TRUE(l.services.messages.empty());
    } else {
      ASSERT_EQ(l.services.messages.size(), 1u);
      EXPECT_EQ(l.services.messages[0].prompt, c.prompt);
    }
  }
}

TEST(Launch, EveryClickStartsAgainInTheModeOfTheMoment) {
  Launcher l("tavro");
  l.Put(l.Under({"Game", "WUD_WUX", "G.wud"}));
  l.form.Dir1.SetPath(l.Under({"Game", "WUD_WUX"}));
  l.Select("G.wud");
  l.Play();
  view::SelectOption(l.form, l.form.Option1[1]);
  l.Play();
  view::SelectOption(l.form, l.form.Option1[0]);
  l.Play();
  ASSERT_EQ(l.services.emulators.size(), 3u);
  EXPECT_EQ(l.services.emulators[0].mode_text, "-g");
  EXPECT_EQ(l.services.emulators[1].mode_text, "-f -g");
  EXPECT_EQ(l.services.emulators[2].mode_text, "-g");
}

}  // namespace
}  // namespace tavro

namespace tavro {
namespace {

TEST(Launch, ABatchFileGetsEveryNameEscapedForTheCommandInterpreter) {
  const std::string prog = "C:\\Tavro\\Emulator\\Run.bat";
  const std::string qprog = "\"" + prog + "\"";
  const struct {
    const char* what;
    std::string mode, game;
    std::string line;  // after "/c "; "" when refused
    std::string why;
  } table[] = {
      {"plain words stay as they are", "-f -g", "D:\\G\\P.wud",
       "\"" + qprog + " -f -g \"D:\\G\\P.wud\"\"", ""},
      {"no mode words at all", "", "D:\\P.wud", "\"" + qprog + " \"D:\\P.wud\"\"", ""},
      {"blanks around the words are no words", "  -g\t ", "P.wud", "\"" + qprog + " -g \"P.wud\"\"",
       ""},
      {"a % is never expanded", "-g", "D:\\Odd 100%PATH%x.wud",
       "\"" + qprog + " -g \"D:\\Odd 100%%cd:~,%PATH%%cd:~,%x.wud\"\"", ""},
      {"a word the interpreter splits or reads is quoted", "a&b c=d %x e^f", "P.wud",
       "\"" + qprog + " \"a&b\" \"c=d\" \"%%cd:~,%x\" \"e^f\" \"P.wud\"\"", ""},
      {"letters beyond ASCII are plain", "-t=\xc3\xbc \xc3\xbc", "P.wud",
       "\"" + qprog + " \"-t=\xc3\xbc\" \xc3\xbc \"P.wud\"\"", ""},
      {"a quote in the game's path", "-g", "D:\\a\"b.wud", "",
       "the game's path holds a \" a batch file cannot be given"},
      {"a line break in the mode text", "-g\r\n-f", "P.wud", "",
       "the mode text holds a line break a batch file cannot be given"},
      {"a line break in the game's path", "-g", "a\nb.wud", "",
       "the game's path holds a line break a batch file cannot be given"},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    const BatchLine got = BatchCommandLine({prog, c.mode, c.game});
    EXPECT_EQ(got.line, c.line);
    EXPECT_EQ(got.why, c.why);
  }
  EXPECT_TRUE(IsBatchFile("C:\\E\\RUN.BAT"));
  EXPECT_TRUE(IsBatchFile("go.Cmd"));
  EXPECT_FALSE(IsBatchFile("Cemu.exe"));
  EXPECT_FALSE(IsBatchFile("bat"));
}

}  // namespace
}  // namespace tavro
