#pragma once
// The program's one window: its controls as built from the design-time table,
// the settings it loaded, and every event handler. The views create native
// widgets for these controls, mirror their properties and forward the user's
// events here through RunEvent.

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "desktop/Controller.h"
#include "desktop/PadNavigation.h"
#include "runtime/Runtime.h"
#include "window/controls/Control.h"
#include "window/Layout.h"
#include "window/controls/ListBoxes.h"
#include "launch/Module_Emulator_CEMU.h"
#include "settings/Module_Load.h"

namespace tavro {

class Form1 {
 public:
  explicit Form1(Services services);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  Services& Runtime() { return services_; }
  LauncherSettings& Settings() { return settings_; }
  ControllerSettings& Controller() { return controller_; }
  // The buttons read at the last tick, and the rule that turns them into
  // moves through the window (the view contract acts on them).
  const std::vector<std::uint32_t>& ControllerHeld() const { return controller_held_; }
  PadNavigation& Pad() { return pad_; }
  const FormDesign& Design() const { return Form1Design(); }
  const PicturePtr& Picture() const { return picture_; }
  const PicturePtr& Icon() const { return icon_; }

  // Every control instance in creation order, and one by its Id.
  const std::vector<Control*>& Controls() const { return controls_; }
  Control* Find(std::string_view id) const;

  // The settings file read into the settings and the disc-image folder shown
  // in Dir1; when that fails the settings file is set aside and the program
  // ends, so that the next start provisions a fresh one.
  void LoadSettings();

  // Events of the window.
  void Form_Load();
  void Form_Unload(bool& cancel);
  void Command1_MouseMove();
  void Image12_MouseMove();
  void Drive1_Change();
  void Dir1_Change();
  void Option2_Click(int index);
  void File1_Click();
  void Command1_Click();
  void Image12_Click();
  void Timer1_Timer();

  // Shows the cover file at path in Picture1, decoded at the size the box
  // shows it; a file that cannot be loaded shows the default cover. While
  // covers may wait (the view holds more of the user's input, see
  // view::PickFile), it waits in Picture1 and is decoded once that input has
  // been handled, unless something shows another picture first.
  void ShowCover(const std::string& path);
  void LetCoversWait(bool wait) { covers_wait_ = wait; }

  // With the Titles key set, File1's rows for its folder named by the
  // games' own titles (Form1Titles.cpp); nothing when it is off.
  void ShowTitles();
  // With PlayTime on, the rows shown named, ordered and given their times
  // again from the emulator's records as they stand now (after a game).
  void ShowNewRecords();
  // Whether File1's rows may carry the player's records in columns (the
  // views draw those rows; PlayTime counts only with Titles).
  bool RecordColumns() const { return settings_.PlayTime && settings_.Titles.on; }

  // The desktop and taskbar toggles of the 9 and 8 keys: what the last
  // press asked for. Both start visible, as the desktop and taskbar are, so
  // the first press hides.
  bool Desktop_Visible = true;
  bool WinBar_Visible = true;

  // The controls, named as designed.
  PictureBox Picture2;
  Timer Timer1;
  TextBox Text1;
  PictureBox Picture1;
  Frame Frame1;
  Frame Frame2;
  std::array<OptionButton, 2> Option1;
  Label Label4;
  Label Label3;
  Frame Frame17;
  Label Label7;
  Label Label6;
  Label Label5;
  Frame Frame8;
  Image Image12;
  CommandButton Command1;
  std::array<OptionButton, 2> Option2;
  FileListBox File1;
  DirListBox Dir1;
  DriveListBox Drive1;
  Label Label2;
  Label Label1;
  Image Image1;
  Label Label17;
  Label Label8;

 private:
  Services services_;
  LauncherSettings settings_;
  ControllerSettings controller_;
  CloseComboWatch close_combo_;
  std::vector<std::uint32_t> controller_held_;
  PadNavigation pad_;
  // Tells the pad of each game's start and end (see PadNavigation).
  GameSubscription games_;
  PicturePtr picture_;
  PicturePtr icon_;
  std::vector<Control*> controls_;
  // The game the window's controls choose.
  GameChoice ChosenGame() const;
  // The title view's row of File1's selection; nullptr when the view is off
  // or nothing is selected.
  const titles::GameRow* SelectedRow() const;
  // The title view's pictures for a row without a cover of its file's name:
  // its title ID's cover, else its own icon. False when it has neither.
  bool ShowTitleCover(const titles::GameRow& row);
  std::vector<titles::GameRow> title_rows_;  // File1's row i is title_rows_[i]
  titles::TitleMemo title_memo_;             // the meta.xml files read this session
  titles::PlayRecordsMemo play_records_;     // the emulator's records as last read
  // The records for the listing; nullptr unless PlayTime and Titles are on.
  const titles::PlayRecords* ReadRecords(const titles::EmulatorPlace& place);
  std::vector<std::string> ShownRows() const;  // title_rows_' texts
  // Whether each polled key was down at the previous tick: a key acts once
  // per press, not on every tick it is held.
  bool Pressed(HotKey key);
  std::array<std::optional<bool>, 3> key_down_{};  // none: not looked at yet
  bool covers_wait_ = false;
};

// The drive of the list that holds path: its drive letter on Windows, the
// longest mount point that leads to it on Linux; "" when none does.
std::string DriveOfPath(const std::vector<std::string>& drives, const std::string& path);

}  // namespace tavro
