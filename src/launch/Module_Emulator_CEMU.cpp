#include "launch/Module_Emulator_CEMU.h"

#include <exception>

#include "runtime/SafeNames.h"
#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"

namespace tavro {

namespace {

// The command for program, or none when no display mode is chosen.
std::optional<EmulatorCommand> CommandFor(std::string program, const LauncherSettings& settings,
                                          const GameChoice& game, std::string_view separator) {
  EmulatorCommand command;
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
  command.program = std::move(program);
  command.game_path = game.folder + std::string(separator) + game.file_name;
  return command;
}

}  // namespace

std::string EmulatorProgram(const std::string& app_folder, const LauncherSettings& settings) {
  return app_folder + paths::Lit({"Emulator"}, true) + settings.FileExe;
}

std::string FlatpakApp(const Processes& processes, const LauncherSettings& settings) {
  return processes.RunsInstalledApps() ? settings.Flatpak : std::string();
}

void LaunchGame(Processes& processes, Dialogs& dialogs, const std::string& app,
                const LauncherSettings& settings, const GameChoice& game,
                std::string_view separator) {
  const std::string flatpak = FlatpakApp(processes, settings);
  // What the boxes name: the file, or the application it is installed as.
  const std::string exe = text::NameForBox(flatpak.empty() ? settings.FileExe : flatpak);
  bool failed = false;
  std::string why;
  try {
    std::string program = EmulatorProgram(app, settings);
    const bool there =
        flatpak.empty() ? !Dir(program, kAttrNormal).empty() : processes.AppInstalled(flatpak);
    if (!there) {
      dialogs.MsgBox("File Doesn't Exist\r\n=> " + exe, "Alert!");
    } else if (const auto command = CommandFor(std::move(program), settings, game, separator)) {
      if (!flatpak.empty()) {
        processes.StartApp(flatpak, *command);
        return;
      }
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
  } catch (const RuntimeError& e) {
    // A name the system cannot take (a path too long to start from, a line
    // too long): the box says why.
    failed = true;
    if (e.Number() == err::kBadFileName)
      why = e.what();
  } catch (const std::exception&) {
    failed = true;
  }
  // Once per call: an error of this box itself goes to the caller.
  if (failed)
    dialogs.MsgBox("Error in Load " + exe + "!" + (why.empty() ? "" : "\r\n=> " + why), "Error");
}

std::optional<std::string> EmulatorImageName(const std::string& app_folder,
                                             const LauncherSettings& settings) {
  // Never a name taskkill would take for more than one image (a quote, a
  // wildcard), as written or as resolved.
  if (!ImageNameToEnd(settings.FileExe))
    return std::nullopt;
  return ImageNameToEnd(ResolvedFileName(EmulatorProgram(app_folder, settings)));
}

void EndEmulator(Processes& processes, const LauncherSettings& settings) {
  // First what cannot fail: the games started here end whatever they run
  // as, even where nothing can be named or taskkill is missing.
  processes.EndStartedGames();
  const std::string flatpak = FlatpakApp(processes, settings);
  if (!flatpak.empty())
    processes.EndApp(flatpak);
  else if (const auto image = EmulatorImageName(processes.AppFolder(), settings))
    processes.KillByImageName(*image);
}

void LaunchDiscImage(Processes& processes, Dialogs& dialogs, const std::string& app,
                     const LauncherSettings& settings, const GameChoice& game) {
  LaunchGame(processes, dialogs, app, settings, game, paths::kSep);
}

void LaunchRpxGame(Processes& processes, Dialogs& dialogs, const std::string& app,
                   const LauncherSettings& settings, const GameChoice& game) {
  LaunchGame(processes, dialogs, app, settings, game, paths::Lit({"code"}, true));
}

}  // namespace tavro
