#include "settings/Module_Load.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/SettingsPaths.h"

namespace tavro {

namespace {

// Renames file to backup, or to backup + "1" ... "9" when backup cannot take
// it; throws when none can (the settings file itself is read-only, say).
void SetAside(const std::string& file, const std::string& backup) {
  try {
    Name(file, backup);
    return;
  } catch (const std::exception&) {
    if (Dir(file, kAttrNormal).empty())
      throw;
  }
  for (int n = 1; n <= 9; ++n) {
    const std::string other = backup + std::to_string(n);
    if (!Dir(other, kAttrDirectory).empty())
      continue;  // taken
    Name(file, other);
    return;
  }
  throw RuntimeError(err::kPathFileAccess, "Path/File access error");
}

}  // namespace

std::optional<LoadedSettings> ReadSettings(const std::string& app) {
  const std::string file = settings::SettingsFile(app);
  if (Dir(file, kAttrNormal).empty())
    return std::nullopt;
  LoadedSettings loaded;
  LauncherSettings& s = loaded.launcher;
  using settings::kEmulatorSection, settings::kFrontEndSection;
  s.FileExe = ReadIniValue(kEmulatorSection, "FileExe", settings::kDefaultFileExe, file);
  s.WinMode = ReadIniValue(kEmulatorSection, "WinMode", settings::kDefaultWinMode, file);
  s.FullMode = ReadIniValue(kEmulatorSection, "FullMode", settings::kDefaultFullMode, file);
  s.DirRpx = ReadIniValue(kFrontEndSection, "DirRpx", settings::DefaultDirRpx(app), file);
  s.DirWudWux = ReadIniValue(kFrontEndSection, "DirWudWux", settings::DefaultDirWudWux(app), file);
  s.Disc = ParseDiscPattern(ReadIniValue(kFrontEndSection, "DiscPattern", "", file));
  // Optional, never written at first start (DiscPattern too): a fresh file
  // stays as it was.
  loaded.controller =
      ParseControllerSettings(ReadIniValue("Controller", "CloseCombo", "Back+Start", file),
                              ReadIniValue("Controller", "HoldMs", "1000", file));
  return loaded;
}

void ResetSettings(Processes& process, Dialogs& dialogs, const std::string& app) {
  // The settings file is renamed rather than deleted: it is gone just the
  // same, so the next start writes a fresh one, and the user's edits can
  // still be had from the backup. An older backup that is in the way (a
  // folder, a read-only file) must not leave the user stuck with a failed
  // reset on every start: the file then goes to the next free backup name.
  try {
    try {
      dialogs.MsgBox("Error in Load Tavro_FrontEnd.ini! Reset and ReStart Tavro RazozEze.",
                     "Error");
      SetAside(settings::SettingsFile(app), settings::SettingsBackup(app));
    } catch (const std::exception&) {
      dialogs.MsgBox("Error in Reset Tavro RazozEze.", "Error");
    }
  } catch (const std::exception&) {
    // Not even the second box could be shown; the start ends all the same.
  }
  process.End();
}

}  // namespace tavro
