#pragma once
// The settings load at start-up and the reset after a failed one.

#include <optional>
#include <string>

#include "desktop/Controller.h"
#include "runtime/Runtime.h"
#include "settings/DiscPattern.h"
#include "settings/Module_File_ini.h"
#include "titles/GameTitles.h"

namespace tavro {

// The settings the rest of the program reads, loaded once at start-up. Each
// starts as empty text and stays so when the settings file is missing.
struct LauncherSettings {
  std::string WinMode;
  std::string FullMode;
  std::string FileExe;
  std::string DirRpx;
  std::string DirWudWux;
  // The optional DiscPattern: what disc-image mode lists.
  DiscPattern Disc;
  // The optional title view: games named by their own titles and icons.
  titles::TitleView Titles;
  // The optional PlayTime: the player's history from the emulator's own
  // records beside each titled game (only with Titles on).
  bool PlayTime = false;
  // The optional Flatpak: the emulator's application id where it is
  // installed from Flathub; it then wins over FileExe (Linux), and its data
  // folder holds the emulator's title list.
  std::string Flatpak;
};

// What the settings file holds.
struct LoadedSettings {
  LauncherSettings launcher;
  ControllerSettings controller;
};

// Reads the settings file of app_folder: none when there is no settings file
// (nothing to read, nothing to report). Throws RuntimeError when the file
// cannot be looked at; the caller then resets.
std::optional<LoadedSettings> ReadSettings(const std::string& app_folder);

// The value of a folder key (DirRpx, DirWudWux) of the front end's section,
// as the program uses it (settings::FolderValue): the one reading of a path
// value for every key.
std::string ReadFolderValue(const IniDocument& doc, std::string_view key,
                            const std::string& default_value, const std::string& app_folder);

// The reset after a load that failed: says so, sets the settings file aside
// (so the next start provisions a fresh one) and ends the program.
void ResetSettings(Processes& process, Dialogs& dialogs, const std::string& app_folder);

}  // namespace tavro
