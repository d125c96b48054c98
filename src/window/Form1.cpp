#include "window/Form1.h"

#include <exception>

#include "cover/CoverArt.h"
#include "desktop/Module006_Windows_Functions.h"
#include "donation/Module_Donate.h"
#include "launch/Module_Emulator_CEMU.h"
#include "settings/Module_Load.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "settings/Module_FirstStartApp.h"
#include "window/Module001_Icon32Bits.h"
#include "window/Module002_IfAppIsOpen.h"
#include "window/Module_FormCollor.h"

namespace tavro {

namespace {
const ControlDesign& Row(std::string_view id) {
  return Form1Control(id);
}
}  // namespace

Form1::Form1(Services services)
    : Picture2(Row("Picture2")),
      Timer1(Row("Timer1")),
      Text1(Row("Text1")),
      Picture1(Row("Picture1")),
      Frame1(Row("Frame1")),
      Frame2(Row("Frame2")),
      Option1{OptionButton(Row("Option1(0)")), OptionButton(Row("Option1(1)"))},
      Label4(Row("Label4")),
      Label3(Row("Label3")),
      Frame17(Row("Frame17")),
      Label7(Row("Label7")),
      Label6(Row("Label6")),
      Label5(Row("Label5")),
      Frame8(Row("Frame8")),
      Image12(Row("Image12")),
      Command1(Row("Command1")),
      Option2{OptionButton(Row("Option2(0)")), OptionButton(Row("Option2(1)"))},
      File1(Row("File1")),
      Dir1(Row("Dir1")),
      Drive1(Row("Drive1")),
      Label2(Row("Label2")),
      Label1(Row("Label1")),
      Image1(Row("Image1")),
      Label17(Row("Label17")),
      Label8(Row("Label8")),
      services_(services) {
  controls_ = {&Picture2,   &Timer1,  &Text1,    &Picture1,   &Frame1,     &Frame2, &Option1[1],
               &Option1[0], &Label4,  &Label3,   &Frame17,    &Label7,     &Label6, &Label5,
               &Frame8,     &Image12, &Command1, &Option2[1], &Option2[0], &File1,  &Dir1,
               &Drive1,     &Label2,  &Label1,   &Image1,     &Label17,    &Label8};

  Option1[0].JoinGroup({&Option1[0], &Option1[1]});
  Option1[1].JoinGroup({&Option1[0], &Option1[1]});
  Option2[0].JoinGroup({&Option2[0], &Option2[1]});
  Option2[1].JoinGroup({&Option2[0], &Option2[1]});

  // The design-time pictures. Both picture boxes start with the logo; they
  // share one picture object, as the default cover is meant to be shared.
  picture_ = services_.pictures.LoadResourcePicture(Design().picture);
  icon_ = services_.pictures.LoadResourcePicture(Design().icon);
  const auto logo = services_.pictures.LoadResourcePicture(ResourcePicture::kLogo);
  Picture2.SetPicture(logo);
  Picture1.SetPicture(logo);
  Image12.SetPicture(services_.pictures.LoadResourcePicture(ResourcePicture::kDonate));
  Image1.SetPicture(services_.pictures.LoadResourcePicture(ResourcePicture::kHand));

  // The drive list opens on the drive that holds the program.
  Drive1.SetDrives(services_.disks.Drives());
  Drive1.SelectInitial(DriveOfPath(Drive1.List(), services_.processes.AppFolder()));

  Command1.MouseMove = [this] { Command1_MouseMove(); };
  Image12.MouseMove = [this] { Image12_MouseMove(); };
  Drive1.Change = [this] { Drive1_Change(); };
  Dir1.Change = [this] { Dir1_Change(); };
  Option2[0].Click = [this] { Option2_Click(0); };
  Option2[1].Click = [this] { Option2_Click(1); };
  File1.Click = [this] { File1_Click(); };
  Command1.Click = [this] { Command1_Click(); };
  Image12.Click = [this] { Image12_Click(); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  games_ = services_.processes.WatchGames([this](GameLife life, int games_running) {
    if (life == GameLife::kStarted) {
      pad_.GameStarted();
    } else {
      pad_.GameEnded(games_running);
      // The emulator has written its records by the time its process ends.
      ShowNewRecords();
    }
  });
}

Control* Form1::Find(std::string_view id) const {
  for (auto* c : controls_) {
    if (c->Id() == id)
      return c;
  }
  return nullptr;
}

void Form1::Form_Load() {
  RefreshShellIcons(services_.shell_windows);
  ExitIfAlreadyRunning(services_.processes);
  const std::string app = services_.processes.AppFolder();
  // Only the one instance that goes on may clear what an earlier one left.
  RemoveStaleTemporaryFiles(app);
  ApplyControlColors(*this);
  PrepareFirstStart(app, services_.dialogs);
  LoadSettings();
}

void Form1::LoadSettings() {
  const std::string app = services_.processes.AppFolder();
  try {
    if (auto loaded = ReadSettings(app)) {
      settings_ = std::move(loaded->launcher);
      controller_ = loaded->controller;
      // A DiscPattern given: the window opens on its list.
      if (settings_.Disc.pattern != DiscPattern{}.pattern) {
        Frame1.SetCaption(settings_.Disc.caption);
        File1.SetPattern(settings_.Disc.pattern);
      }
      Dir1.SetPath(settings_.DirWudWux);
      ShowTitles();
    }
    return;
  } catch (const std::exception&) {
  }
  ResetSettings(services_.processes, services_.dialogs, app);
}

GameChoice Form1::ChosenGame() const {
  // Windowed is asked first, so it wins should both read selected.
  const DisplayMode mode = Option1[0].Value()   ? DisplayMode::kWindowed
                           : Option1[1].Value() ? DisplayMode::kFullScreen
                                                : DisplayMode::kNone;
  if (const titles::GameRow* row = SelectedRow())
    return {mode, row->folder, row->file_name};
  return {mode, Dir1.Path(), File1.FileName()};
}

void Form1::Form_Unload(bool& /*cancel: never set, the close always goes ahead*/) {
  SetDesktopVisible(services_.shell_windows, true);
  SetTaskbarVisible(services_.shell_windows, true);
}

void Form1::Command1_MouseMove() {
  Command1.SetMousePointer(kPointerCustom);
  Command1.SetMouseIcon(Image1.Picture());
}

void Form1::Image12_MouseMove() {
  Image12.SetMousePointer(kPointerCustom);
  Image12.SetMouseIcon(Image1.Picture());
}

void Form1::Drive1_Change() {
  Picture1.SetPicture(Picture2.Picture());
  bool failed = false;
  try {
    Dir1.SetPath(Drive1.Drive());
  } catch (const std::exception&) {
    failed = true;
  }
  // The fallback drive: a change, so this runs once more for it; should that
  // fail too, selecting the same drive again is no change and ends it.
  if (failed)
    Drive1.SetDrive(services_.disks.FallbackDrive());
}

void Form1::Dir1_Change() {
  Picture1.SetPicture(Picture2.Picture());
  bool failed = false;
  try {
    if (Option2[0].Value()) {
      File1.SetPath(Dir1.Path());
    } else if (Option2[1].Value()) {
      // Joined as text, even after a root's own separator.
      File1.SetPath(Dir1.Path() + paths::Lit({"code"}, true));
    }
  } catch (const std::exception&) {
    failed = true;
  }
  if (failed)
    File1.SetPath(Dir1.Path());
  ShowTitles();
}

void Form1::Option2_Click(int /*index: the buttons' states decide*/) {
  Picture1.SetPicture(Picture2.Picture());
  try {
    if (Option2[0].Value()) {
      Frame1.SetCaption(settings_.Disc.caption);
      File1.SetPattern(settings_.Disc.pattern);
      Dir1.SetPath(settings_.DirWudWux);
    } else if (Option2[1].Value()) {
      Frame1.SetCaption("Games *.rpx");
      File1.SetPattern("*.rpx");
      Dir1.SetPath(settings_.DirRpx);
    }
  } catch (...) {
    // The new pattern listed the old folder before the folder failed: its
    // rows are named for what the list now shows, then the error is told.
    ShowTitles();
    throw;
  }
  ShowTitles();
}

void Form1::File1_Click() {
  // The cover's name comes from the game's file, never from its title.
  const titles::GameRow* row = SelectedRow();
  const CoverArt cover =
      ShowCoverArt(services_.processes.AppFolder(), row ? row->file_name : File1.FileName(),
                   settings_.Disc.extensions);
  if (cover.show == CoverArt::Show::kKeep) {
    if (row)
      ShowTitleCover(*row);
    return;
  }
  if (cover.show == CoverArt::Show::kCover) {
    ShowCover(cover.path);
  } else {
    Picture1.SetPicture(Picture2.Picture());
  }
}

void Form1::ShowCover(const std::string& path) {
  // The box in pixels at 96 DPI; the platform scales it with the screen's.
  const auto& box = Picture1.Design();
  auto load = [this, path, width = TwipsToPixels(box.width, 96),
               height = TwipsToPixels(box.height, 96)]() -> PicturePtr {
    try {
      return services_.pictures.LoadPictureToFit(path, width, height);
    } catch (const std::exception&) {
      return Picture2.Picture();
    }
  };
  if (covers_wait_) {
    Picture1.SetPictureLater(std::move(load));
  } else {
    Picture1.SetPicture(load());
  }
}

void Form1::Command1_Click() {
  if (File1.FileName().empty()) {
    services_.dialogs.MsgBox("No Game Select!", "Error");
    return;
  }
  if (Option2[0].Value()) {
    LaunchDiscImage(services_.processes, services_.dialogs, services_.processes.AppFolder(),
                    settings_, ChosenGame());
  } else if (Option2[1].Value()) {
    LaunchRpxGame(services_.processes, services_.dialogs, services_.processes.AppFolder(),
                  settings_, ChosenGame());
  }
}

void Form1::Image12_Click() {
  OpenDonationPage(services_.processes, services_.dialogs, services_.processes.AppFolder(),
                   Text1.Text());
}

bool Form1::Pressed(HotKey key) {
  const auto slot = static_cast<std::size_t>(key);
  const KeyState state = services_.keys.Key(key);
  // At the first look a key already down counts as held from before: a key
  // held while the window opened has not been pressed in its time.
  const bool was_down = key_down_[slot].value_or(state.down);
  key_down_[slot] = state.down;
  // A press since the last tick (let go again, or let go and pressed again
  // while the tick waited), or newly down. Held from the tick before, it has
  // acted already.
  return state.pressed || (state.down && !was_down);
}

void Form1::Timer1_Timer() {
  // The look that notices a started game's end and tells those who watch;
  // while a game runs the pad drives only the close combination.
  pad_.SetGameRunning(services_.processes.GameRunning());
  // Esc's failure (no taskkill) is reported once the tick is done: 9 and 8
  // still act on the same tick.
  std::exception_ptr esc_failure;
  if (Pressed(HotKey::kEscape)) {
    try {
      EndEmulator(services_.processes, settings_);
    } catch (...) {
      esc_failure = std::current_exception();
    }
  }
  if (Pressed(HotKey::kNine)) {
    const bool show = !Desktop_Visible;
    SetDesktopVisible(services_.shell_windows, show);
    Desktop_Visible = show;
  }
  if (Pressed(HotKey::kEight)) {
    const bool show = !WinBar_Visible;
    SetTaskbarVisible(services_.shell_windows, show);
    WinBar_Visible = show;
  }
  // The controller's combination does what Esc does. The one reading of
  // the tick also serves the moves through the window.
  controller_held_ = services_.keys.ControllerButtons();
  if (close_combo_.Tick(controller_held_, controller_, Timer1.Interval()))
    EndEmulator(services_.processes, settings_);
  if (esc_failure)
    std::rethrow_exception(esc_failure);
}

std::string DriveOfPath(const std::vector<std::string>& drives, const std::string& path) {
  std::string best;
  for (const auto& drive : drives) {
    bool under;
    if (paths::kDriveLetters) {
      under =
          path.size() >= drive.size() && text::EqualsNoCase(path.substr(0, drive.size()), drive);
    } else {
      under = path == drive || drive == "/" ||
              (path.starts_with(drive) && path.size() > drive.size() && path[drive.size()] == '/');
    }
    if (under && drive.size() > best.size())
      best = drive;
  }
  return best;
}

}  // namespace tavro
