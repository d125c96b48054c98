#include "launch/Module_Emulator_CEMU.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "window/Form1.h"

namespace tavro {

std::optional<EmulatorCommand> BuildEmulatorCommand(Form1& form, std::string_view separator) {
  const LauncherSettings& s = form.Settings();
  EmulatorCommand command;
  command.program = form.Runtime().AppFolder() + paths::Lit({"Emulator"}, true) + s.FileExe;
  // Windowed is asked first, so it wins should both read selected.
  if (form.Option1[0].Value() == kTrue) {
    command.mode_text = s.WinMode;
  } else if (form.Option1[1].Value() == kTrue) {
    command.mode_text = s.FullMode;
  } else {
    return std::nullopt;
  }
  command.game_path = form.Dir1.Path() + std::string(separator) + form.File1.FileName();
  return command;
}

void LaunchGame(Form1& form, std::string_view separator) {
  Services& services = form.Runtime();
  const std::string& exe = form.Settings().FileExe;
  bool failed = false;
  try {
    const std::string program = services.AppFolder() + paths::Lit({"Emulator"}, true) + exe;
    if (Dir(program, kAttrNormal).empty()) {
      services.MsgBox("File Doesn't Exist\r\n=> " + exe, 0, "Alert!");
    } else if (const auto command = BuildEmulatorCommand(form, separator)) {
      services.StartEmulator(*command);
    }
  } catch (const std::exception&) {
    failed = true;
  }
  // Once per call: an error of this box itself goes to the caller.
  if (failed)
    services.MsgBox("Error in Load " + exe + "!", 0, "Error");
}

void LaunchDiscImage(Form1& form) {
  LaunchGame(form, paths::kSep);
}

}  // namespace tavro
