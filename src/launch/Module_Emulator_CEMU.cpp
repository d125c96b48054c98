#include "launch/Module_Emulator_CEMU.h"

#include <exception>

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

std::string FlatpakApp(const Processes& processes, const LauncherSettings& settings) {
  return processes.RunsFlatpaks() ? settings.Flatpak : std::string();
}

void LaunchGame(Processes& processes, Dialogs& dialogs, const LauncherSettings& settings,
                const GameChoice& game, std::string_view separator) {
  const std::string flatpak = FlatpakApp(processes, settings);
  // What the boxes name: the file, or the application it is installed as.
  const std::string& exe = flatpak.empty() ? settings.FileExe : flatpak;
  bool failed = false;
  try {
    const std::string app = processes.AppFolder();
    const std::string program = app + paths::Lit({"Emulator"}, true) + settings.FileExe;
    const bool there =
        flatpak.empty() ? !Dir(program, kAttrNormal).empty() : processes.FlatpakInstalled(flatpak);
    if (!there) {
      dialogs.MsgBox("File Doesn't Exist\r\n=> " + exe, "Alert!");
    } else if (const auto command = BuildEmulatorCommand(settings, app, game, separator)) {
      if (flatpak.empty())
        processes.StartEmulator(*command);
      else
        processes.StartFlatpak(flatpak, *command);
    }
  } catch (const std::exception&) {
    failed = true;
  }
  // Once per call: an error of this box itself goes to the caller.
  if (failed)
    dialogs.MsgBox("Error in Load " + exe + "!", "Error");
}

void EndEmulator(Processes& processes, const LauncherSettings& settings) {
  const std::string flatpak = FlatpakApp(processes, settings);
  if (!flatpak.empty())
    processes.KillFlatpak(flatpak);
  else if (!settings.FileExe.empty())
    processes.KillByImageName(settings.FileExe);
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
