#include "settings/Module_FirstStartApp.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/SettingsPaths.h"

namespace tavro {

void PrepareFirstStart(const std::string& app, Dialogs& dialogs) {
  using paths::Lit;
  try {
    // Parents before children, so each folder is made in one step. Anything
    // already there under a folder's name counts as present, whatever it is:
    // a link to a disk that is not mounted is the user's and stays.
    for (const auto& folder : {Lit({"Game"}), Lit({"Game", "RPX"}), Lit({"Game", "WUD_WUX"}),
                               Lit({"Emulator"}), Lit({"Image"})}) {
      MkDirUnlessTaken(app + folder);
    }
    // Only a free name gets the defaults. Whatever else is there (a FIFO, a
    // folder, a link to nothing) is never written over: the load takes it
    // for a settings file that fails and sets it aside.
    const auto file = settings::SettingsFile(app);
    if (!Exists(file)) {
      // A write that fails is not reported: the load then finds no file and
      // the program runs with empty settings.
      WriteIniValue(settings::kEmulatorSection, "FileExe", settings::kDefaultFileExe, file);
      WriteIniValue(settings::kEmulatorSection, "WinMode", settings::kDefaultWinMode, file);
      WriteIniValue(settings::kEmulatorSection, "FullMode", settings::kDefaultFullMode, file);
      WriteIniValue(settings::kFrontEndSection, "DirRpx", settings::DefaultDirRpx(app), file);
      WriteIniValue(settings::kFrontEndSection, "DirWudWux", settings::DefaultDirWudWux(app), file);
    }
  } catch (const std::exception&) {
    dialogs.MsgBox("Error in Create Folders and Ini File", "Error");
  }
}

}  // namespace tavro
