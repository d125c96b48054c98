#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FakeServices.h"
#include "TestUtil.h"
#include "runtime/PathLiterals.h"
#include "window/Form1.h"
#include "window/Module_FormCollor.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;
using test::EndCalled;
using test::FakeServices;

class Startup : public ::testing::Test {
 protected:
  test::TempDir app;
  FakeServices services{app.Utf8()};
};

TEST_F(Startup, TheWindowOpensInItsDesignTimeState) {
  Form1 form{services};
  EXPECT_EQ(form.Controls().size(), 27u);
  EXPECT_EQ(form.Find("Option2(1)"), &form.Option2[1]);
  EXPECT_EQ(form.Find("Nothing"), nullptr);
  EXPECT_TRUE(form.Option1[0].Value());
  EXPECT_FALSE(form.Option1[1].Value());
  EXPECT_TRUE(form.Option2[0].Value());
  EXPECT_FALSE(form.Option2[1].Value());
  EXPECT_EQ(form.Frame1.Caption(), "Games *.wud *.wux");
  EXPECT_EQ(form.File1.Pattern(), "*.wux;*.wud");
  EXPECT_EQ(form.Command1.Caption(), "Play Game");
  EXPECT_EQ(form.Label7.Caption(), "(8) To Hide WinBar");
  ASSERT_NE(form.Picture1.Picture(), nullptr);
  EXPECT_EQ(form.Picture1.Picture(), form.Picture2.Picture());  // the default cover
  EXPECT_EQ(form.Picture1.Picture()->Width(), 201);
  EXPECT_EQ(form.Timer1.Interval(), 100);
  EXPECT_TRUE(form.Timer1.Enabled());
  ASSERT_FALSE(services.drives.front().empty());
  EXPECT_EQ(form.Drive1.Drive(), services.drives.front());  // the drive holding the program
  EXPECT_EQ(form.Text1.Text(), DonationPageText());
}

TEST_F(Startup, SelectingAButtonNeverTouchesTheOtherGroup) {
  Form1 form{services};
  form.Settings().DirRpx = app.Utf8();
  form.Option1[1].Select();
  EXPECT_FALSE(form.Option1[0].Value());
  EXPECT_TRUE(form.Option2[0].Value());
  form.Option2[1].Select();
  EXPECT_FALSE(form.Option2[0].Value());
  EXPECT_TRUE(form.Option1[1].Value());
}

TEST_F(Startup, ColoursTurnExactlyTheFramesAndOptionButtonsWhite) {
  Form1 form{services};
  std::vector<std::string> told;
  for (auto* c : form.Controls()) {
    c->PropertyChanged = [&told, c](Property p) {
      if (p == Property::kBackColor)
        told.push_back(c->Id());
    };
  }
  ApplyControlColors(form);
  EXPECT_EQ(told, (std::vector<std::string>{"Frame1", "Frame2", "Frame8", "Frame17", "Option1(0)",
                                            "Option1(1)", "Option2(0)", "Option2(1)"}));
  for (auto* c : form.Controls()) {
    const bool white = std::find(told.begin(), told.end(), c->Id()) != told.end();
    if (white) {
      EXPECT_EQ(c->BackColor(), color::kWhite) << c->Id();
    } else {
      EXPECT_EQ(c->BackColor(), c->Design().back_color) << c->Id();
    }
  }
  EXPECT_EQ(form.Label5.BackColor(), color::kWindow);  // follows the system's scheme
}

TEST_F(Startup, LoadRunsItsStepsInOrderAndOpensOnTheDiscFolder) {
  Form1 form{services};
  form.Form_Load();
  EXPECT_EQ(services.calls, (std::vector<std::string>{"RefreshShellIcons", "PreviousInstance"}));
  EXPECT_EQ(form.Frame1.BackColor(), color::kWhite);
  EXPECT_TRUE(fs::is_regular_file(app.Path() / "Tavro_FrontEnd.ini"));
  EXPECT_EQ(form.Settings().FileExe, "Cemu.exe");  // the load read what provisioning wrote
  EXPECT_EQ(form.Dir1.Path(), app.Utf8() + paths::Lit({"Game", "WUD_WUX"}));
}

// What a replacing write of the settings file or the page leaves when the
// program is ended midway, and names that only look like it.
struct Litter {
  const char* name;
  bool folder;
  bool removed;
};
constexpr Litter kLitter[] = {
    {"Tavro_FrontEnd.ini.tmp-3141592653-7", false, true},
    {"Tavro_FrontEnd-donate.html.tmp-1-2", false, true},
    {"Tavro_FrontEnd.ini.tmp-1-2x", false, false},
    {"Tavro_FrontEnd.ini.tmp-1", false, false},
    {"Tavro_FrontEnd.ini.tmp--2", false, false},
    {"My.ini.tmp-1-2", false, false},
    {"Tavro_FrontEnd.ini.tmp-5-6", true, false},
};

void PutLitter(const fs::path& app) {
  for (const Litter& l : kLitter) {
    if (l.folder)
      fs::create_directory(app / l.name);
    else
      test::WriteAll(app / l.name, "partial");
  }
}

TEST_F(Startup, TheRunningInstanceClearsOnlyItsOwnStaleTemporaryFiles) {
  PutLitter(app.Path());
  Form1 form{services};
  form.Form_Load();
  for (const Litter& l : kLitter)
    EXPECT_EQ(fs::exists(app.Path() / l.name), !l.removed) << l.name;
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Startup, ASecondInstanceEndsSilentlyBeforeTouchingTheDisk) {
  PutLitter(app.Path());
  services.another_instance_runs = true;
  Form1 form{services};
  EXPECT_THROW(form.Form_Load(), EndCalled);
  EXPECT_EQ(services.calls,
            (std::vector<std::string>{"RefreshShellIcons", "PreviousInstance", "End"}));
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(form.Frame1.BackColor(), color::kButtonFace);
  EXPECT_EQ(std::distance(fs::directory_iterator(app.Path()), fs::directory_iterator()),
            std::ssize(kLitter));  // not even the litter
}

TEST_F(Startup, AProvisioningFailureIsReportedAndStartUpGoesOn) {
  test::WriteAll(app.Path() / "Game", "a file");
  Form1 form{services};
  form.Form_Load();  // no settings file: the load reads nothing and says nothing
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, "Error in Create Folders and Ini File");
  EXPECT_EQ(form.Settings().DirWudWux, "");
}

TEST_F(Startup, UnloadShowsDesktopAndTaskbarEveryTimeAndNeverCancels) {
  services.shell_windows = {{11, ShellWindow::kDesktop, false, false},
                            {22, ShellWindow::kTaskbar, false, true}};
  Form1 form{services};
  bool cancel = false;
  form.Form_Unload(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(services.calls, (std::vector<std::string>{"Show:11:5", "Enable:11:1", "Show:22:5"}));
  EXPECT_TRUE(services.Window(11)->visible && services.Window(11)->enabled);
  EXPECT_TRUE(services.Window(22)->visible);
  services.calls.clear();
  form.Form_Unload(cancel);  // already visible: shown again all the same
  EXPECT_EQ(services.calls.size(), 3u);
}

TEST_F(Startup, UnloadWithoutDesktopOrTaskbarDoesNothing) {
  Form1 form{services};
  bool cancel = false;
  form.Form_Unload(cancel);
  EXPECT_TRUE(services.calls.empty());
  EXPECT_FALSE(cancel);
}

TEST_F(Startup, ThePointerTurnsIntoTheHandOnTheFirstMove) {
  Form1 form{services};
  EXPECT_EQ(form.Command1.MousePointer(), kPointerDefault);
  EXPECT_EQ(form.Image12.MousePointer(), kPointerDefault);
  int told = 0;
  form.Command1.PropertyChanged = [&](Property) { ++told; };
  form.Command1.MouseMove();
  form.Command1.MouseMove();  // the same values again change nothing
  EXPECT_EQ(told, 2);
  EXPECT_EQ(form.Command1.MousePointer(), kPointerCustom);
  EXPECT_EQ(form.Command1.MouseIcon(), form.Image1.Picture());  // the same object
  EXPECT_EQ(form.Image12.MousePointer(), kPointerDefault);
  form.Image12.MouseMove();
  EXPECT_EQ(form.Image12.MousePointer(), kPointerCustom);
  EXPECT_EQ(form.Image12.MouseIcon(), form.Image1.Picture());
}

}  // namespace
}  // namespace tavro
