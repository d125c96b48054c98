#include "launch/Module_Emulator_CEMU.h"

#include <exception>

#include "launch/SafeNames.h"
#include "runtime/Files.h"
#include "runtime/PathLiterals.h"

namespace tavro {

std::optional<EmulatorCommand> BuildEmulatorCommand(const LauncherSettings& settings,
                                                    const std::string& app_folder,
                                                    const GameChoice& game,
                                                    std::string_view separator) {
  EmulatorCommand command;
  command.program = app_folder + paths::Lit({"Emulator"}, true) + settings.FileExe;
  switch (game.mode) {
    case DisplayMode::kWindowed:
      command.mode_text = settings.WinMode;
      break;
    case DisplayMode::kFullScreen:
      command.mode_text = settings.FullMode;
      break;
    case DisplayMode::kNone:
      return std::nullopt;
  }
  command.game_path = game.folder + std::string(separator) + game.file_name;
  return command;
}

void LaunchGame(Processes& processes, Dialogs& dialogs, const LauncherSettings& settings,
                const GameChoice& game, std::string_view separator) {
  const std::string& exe = settings.FileExe;
  bool failed = false;
  try {
    const std::string app = processes.AppFolder();
    const std::string program = app + paths::Lit({"Emulator"}, true) + exe;
    if (Dir(program, kAttrNormal).empty()) {
      dialogs.MsgBox("File Doesn't Exist\r\n=> " + exe, "Alert!");
    } else if (const auto command = BuildEmulatorCommand(settings, app, game, separator)) {
      // A name the command interpreter would rewrite, or break out of its
      // quotes with, is never handed to a batch file: the box says why.
      if (paths::kBatchFiles && IsBatchFile(command->program)) {
        const BatchLine batch = BatchCommandLine(*command);
        if (!batch.why.empty()) {
          dialogs.MsgBox("Error in Load " + exe + "!\r\n=> " + batch.why, "Error");
          return;
        }
      }
      processes.StartEmulator(*command);
    }
  } catch (const std::exception&) {
    failed = true;
  }
  // Once per call: an error of this box itself goes to the caller.
  if (failed)
    dialogs.MsgBox("Error in Load " + exe + "!", "Error");
}

void LaunchDiscImage(Processes& processes, Dialogs& dialogs, const LauncherSettings& settings,
                     const GameChoice& game) {
  LaunchGame(processes, dialogs, settings, game, paths::kSep);
}

void LaunchRpxGame(Processes& processes, Dialogs& dialogs, const LauncherSettings& settings,
                   const GameChoice& game) {
  LaunchGame(processes, dialogs, settings, game, paths::Lit({"code"}, true));
}

}  // namespace tavro
