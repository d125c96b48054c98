#include "settings/Module_Load.h"

#include <exception>

#include "launch/Module_Emulator_CEMU.h"
#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/SettingsPaths.h"
#include "window/Form1.h"

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

void LoadSettings(Form1& form) {
  Services& services = form.Runtime();
  const std::string app = services.AppFolder();
  const std::string file = settings::SettingsFile(app);
  try {
    if (Dir(file, kAttrNormal).empty())
      return;  // nothing to read, nothing to report
    LauncherSettings& s = form.Settings();
    using settings::kEmulatorSection, settings::kFrontEndSection;
    s.FileExe = ReadIniValue(kEmulatorSection, "FileExe", settings::kDefaultFileExe, file);
    s.WinMode = ReadIniValue(kEmulatorSection, "WinMode", settings::kDefaultWinMode, file);
    s.FullMode = ReadIniValue(kEmulatorSection, "FullMode", settings::kDefaultFullMode, file);
    s.DirRpx = ReadIniValue(kFrontEndSection, "DirRpx", settings::DefaultDirRpx(app), file);
    s.DirWudWux =
        ReadIniValue(kFrontEndSection, "DirWudWux", settings::DefaultDirWudWux(app), file);
    // Optional, never written at first start: a fresh file stays as it was.
    form.Controller() =
        ParseControllerSettings(ReadIniValue("Controller", "CloseCombo", "Back+Start", file),
                                ReadIniValue("Controller", "HoldMs", "1000", file));
    form.Dir1.SetPath(s.DirWudWux);
    return;
  } catch (const std::exception&) {
  }

  // The reset. The settings file is renamed rather than deleted: it is gone
  // just the same, so the next start writes a fresh one, and the user's edits
  // can still be had from the backup. An older backup that is in the way (a
  // folder, a read-only file) must not leave the user stuck with a failed
  // reset on every start: the file then goes to the next free backup name.
  try {
    try {
      services.MsgBox("Error in Load Tavro_FrontEnd.ini! Reset and ReStart Tavro RazozEze.", 0,
                      "Error");
      SetAside(file, settings::SettingsBackup(app));
    } catch (const std::exception&) {
      services.MsgBox("Error in Reset Tavro RazozEze.", 0, "Error");
    }
  } catch (const std::exception&) {
    // Not even the second box could be shown; the start ends all the same.
  }
  services.End();
}

void LaunchRpxGame(Form1& form) {
  LaunchGame(form, paths::Lit({"code"}, true));
}

}  // namespace tavro
