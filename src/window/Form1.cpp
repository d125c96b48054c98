#include "window/Form1.h"

#include "desktop/Module006_Windows_Functions.h"
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

Form1::Form1(Services& services)
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
  picture_ = services_.LoadResourcePicture(Design().picture);
  icon_ = services_.LoadResourcePicture(Design().icon);
  const auto logo = services_.LoadResourcePicture(ResourcePicture::kLogo);
  Picture2.SetPicture(logo);
  Picture1.SetPicture(logo);
  Image12.SetPicture(services_.LoadResourcePicture(ResourcePicture::kDonate));
  Image1.SetPicture(services_.LoadResourcePicture(ResourcePicture::kHand));

  // The drive list opens on the drive that holds the program.
  Drive1.SetDrives(services_.Drives());
  Drive1.SelectInitial(DriveOfPath(Drive1.List(), services_.AppFolder()));

  Command1.MouseMove = [this] { Command1_MouseMove(); };
  Image12.MouseMove = [this] { Image12_MouseMove(); };
}

Control* Form1::Find(std::string_view id) const {
  for (auto* c : controls_) {
    if (c->Id() == id)
      return c;
  }
  return nullptr;
}

void Form1::Form_Load() {
  RefreshShellIcons(services_);
  ExitIfAlreadyRunning(services_);
  ApplyControlColors(*this);
  PrepareFirstStart(services_);
  LoadSettings(*this);
}

void Form1::Form_Unload(std::int16_t& /*cancel: never set, the close always goes ahead*/) {
  SetDesktopVisible(services_, kTrue);
  SetTaskbarVisible(services_, kTrue);
}

void Form1::Command1_MouseMove() {
  Command1.SetMousePointer(kPointerCustom);
  Command1.SetMouseIcon(Image1.Picture());
}

void Form1::Image12_MouseMove() {
  Image12.SetMousePointer(kPointerCustom);
  Image12.SetMouseIcon(Image1.Picture());
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
