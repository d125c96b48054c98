#include "settings/Module_FirstStartApp.h"

#include <cctype>
#include <exception>
#include <string_view>
#include <vector>

#include "donation/Module_Donate.h"
#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/SettingsPaths.h"

namespace tavro {

namespace {

// The settings file a first start writes, in the order of its entries.
std::string FreshSettings(const std::string& app) {
  IniDocument doc;
  doc.Set(settings::kEmulatorSection, "FileExe", settings::kDefaultFileExe);
  doc.Set(settings::kEmulatorSection, "WinMode", settings::kDefaultWinMode);
  doc.Set(settings::kEmulatorSection, "FullMode", settings::kDefaultFullMode);
  doc.Set(settings::kFrontEndSection, "DirRpx", settings::DefaultDirRpx(app));
  doc.Set(settings::kFrontEndSection, "DirWudWux", settings::DefaultDirWudWux(app));
  return doc.Bytes();
}

bool AllDigits(std::string_view s) {
  if (s.empty())
    return false;
  for (const char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
  }
  return true;
}

// Whether name is the temporary name of a replacing write of file (see
// TempNameBeside): file + ".tmp-" + digits + "-" + digits, and nothing else.
bool IsTemporaryNameOf(std::string_view name, std::string_view file) {
  const std::string prefix = std::string(file) + ".tmp-";
  if (!name.starts_with(prefix))
    return false;
  const std::string_view rest = name.substr(prefix.size());
  const auto dash = rest.find('-');
  return dash != std::string_view::npos && AllDigits(rest.substr(0, dash)) &&
         AllDigits(rest.substr(dash + 1));
}

}  // namespace

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
      // All five entries in one replacing write: a start ended midway leaves
      // no file or a whole one, never a part. A write that fails is not
      // reported: the load then finds no file and the program runs with
      // empty settings.
      try {
        ReplaceByName(file, FreshSettings(app));
      } catch (const std::exception&) {
      }
    }
  } catch (const std::exception&) {
    dialogs.MsgBox("Error in Create Folders and Ini File", "Error");
  }
}

void RemoveStaleTemporaryFiles(const std::string& app) {
  std::vector<std::string> stale;
  try {
    ReadFolder(app, app, [&](const FolderEntry& entry) {
      if (IsTemporaryNameOf(entry.name, settings::kSettingsFileName) ||
          IsTemporaryNameOf(entry.name, kDonationPageName))
        stale.push_back(entry.name);
    });
  } catch (const std::exception&) {
    return;  // a folder that cannot be read has nothing of ours to clear
  }
  for (const auto& name : stale) {
    const std::string path = app + std::string(paths::kSep) + name;
    try {
      // Ordinary files only: a link or a folder under such a name is not
      // one this program wrote.
      if (LookAt(path).type == Entry::Type::kFile)
        Kill(path);
    } catch (const std::exception&) {
      // One that cannot go stays; the start goes on.
    }
  }
}

}  // namespace tavro
