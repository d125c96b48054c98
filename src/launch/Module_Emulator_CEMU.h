#pragma once
// Starting the emulator on the selected game.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/Runtime.h"
#include "settings/Module_Load.h"

namespace tavro {

// The display mode the window's option buttons choose; none when neither
// reads selected.
enum class DisplayMode { kNone, kWindowed, kFullScreen };

// The game the user chose: the folder the folder list shows and the file
// list's file name in it.
struct GameChoice {
  DisplayMode mode = DisplayMode::kNone;
  std::string folder;
  std::string file_name;
};

// The emulator's path: AppFolder + "\Emulator\" + FileExe.
std::string EmulatorProgram(const std::string& app_folder, const LauncherSettings& settings);

// The Flatpak application the emulator runs as: the Flatpak setting where
// the platform starts Flatpak applications; otherwise "" (the file FileExe
// names, as always).
std::string FlatpakApp(const Processes& processes, const LauncherSettings& settings);

// The launch both library modes share, for the program in app_folder; they
// differ only in the separator between the folder and the file name. Checks
// that the emulator is there ("Alert!" when not), starts it without waiting,
// and reports any failure in one "Error" box, which says why where the
// system cannot take a name (RuntimeError err::kBadFileName). A long FileExe
// shows shortened (text::NameForBox) in either box. With a Flatpak application, that
// application instead of the file: "File Doesn't Exist" when it is not
// installed.
void LaunchGame(Processes& processes, Dialogs& dialogs, const std::string& app_folder,
                const LauncherSettings& settings, const GameChoice& game,
                std::string_view separator);

// The image name the emulator runs under: FileExe's file name as the system
// resolves it (see ResolvedFileName). None where FileExe names no file name
// or holds what would make taskkill end more than one image.
std::optional<std::string> EmulatorImageName(const std::string& app_folder,
                                             const LauncherSettings& settings);

// Esc and the controller's combination: ends the games this process
// started, and the Flatpak application or every process of the emulator's
// image name (nothing more when neither is set).
void EndEmulator(Processes& processes, const LauncherSettings& settings);

// DiscImageMode: the selected disc image in the folder.
void LaunchDiscImage(Processes& processes, Dialogs& dialogs, const std::string& app_folder,
                     const LauncherSettings& settings, const GameChoice& game);
// RpxMode: the selected game's .rpx, always named inside the folder's "code"
// subfolder.
void LaunchRpxGame(Processes& processes, Dialogs& dialogs, const std::string& app_folder,
                   const LauncherSettings& settings, const GameChoice& game);

}  // namespace tavro
