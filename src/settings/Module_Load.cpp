#include "settings/Module_Load.h"

#include <cstdint>
#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "settings/Module_File_ini.h"
#include "settings/SettingsPaths.h"

namespace tavro {

namespace {

using Type = Entry::Type;

// Moves whatever is under the settings file's name out of the way (a rename:
// nothing is lost): to backup when that name is free or holds an older
// backup file that is not read-only, else (also when that rename fails: a
// backup held open) to the first free name of backup + "1" ... "9". When
// those are all taken, the oldest ordinary file among them makes room, so
// the newest backups are kept; a folder or anything else under a backup
// name is never dropped. Throws when nothing can take it.
void SetAside(const std::string& file, const std::string& backup) {
  const Entry first = LookAt(backup);
  if (first.type == Type::kNone || (first.type == Type::kFile && !first.read_only)) {
    try {
      Name(file, backup);
      return;
    } catch (const std::exception&) {
      if (!Exists(file))
        throw;
    }
  }
  std::string oldest;
  std::int64_t oldest_time = 0;
  for (int n = 1; n <= 9; ++n) {
    const std::string other = backup + std::to_string(n);
    const Entry entry = LookAt(other);
    if (entry.type == Type::kNone) {
      Name(file, other);
      return;
    }
    if (entry.type == Type::kFile && !entry.read_only &&
        (oldest.empty() || entry.modified < oldest_time)) {
      oldest = other;
      oldest_time = entry.modified;
    }
  }
  if (oldest.empty())
    throw RuntimeError(err::kPathFileAccess, "Path/File access error");
  Name(file, oldest);
}

// The settings file of the load, opened and decoded once: none when there
// is nothing under its name. Anything there that is no ordinary file (a
// FIFO, a device, a folder, a link to nothing) or is far too large for one
// throws, so it fails to load like a damaged file and is set aside for a
// fresh one at the next start. A file the user may not read reads as its
// defaults, as it always did.
std::optional<IniDocument> OpenSettings(const std::string& file, const std::string& app) {
  if (!Exists(file))
    return std::nullopt;
  try {
    return IniDocument::FromBytes(ReadOrdinaryFile(file, kMaxSettingsBytes), app);
  } catch (const RuntimeError& e) {
    if (e.Number() != err::kPermissionDenied)
      throw;
  }
  return IniDocument{};
}

}  // namespace

std::optional<LoadedSettings> ReadSettings(const std::string& app) {
  const auto doc = OpenSettings(settings::SettingsFile(app), app);
  if (!doc)
    return std::nullopt;  // nothing to read, nothing to report
  LoadedSettings loaded;
  LauncherSettings& s = loaded.launcher;
  using settings::kEmulatorSection, settings::kFrontEndSection;
  s.FileExe = doc->Get(kEmulatorSection, "FileExe", settings::kDefaultFileExe);
  s.WinMode = doc->Get(kEmulatorSection, "WinMode", settings::kDefaultWinMode);
  s.FullMode = doc->Get(kEmulatorSection, "FullMode", settings::kDefaultFullMode);
  s.DirRpx = ReadFolderValue(*doc, "DirRpx", settings::DefaultDirRpx(app), app);
  s.DirWudWux = ReadFolderValue(*doc, "DirWudWux", settings::DefaultDirWudWux(app), app);
  s.Flatpak = doc->Get(kEmulatorSection, "Flatpak", "");
  s.Titles = titles::ParseTitlesKey(doc->Get(kFrontEndSection, "Titles", ""));
  s.PlayTime = titles::ParsePlayTimeKey(doc->Get(kFrontEndSection, "PlayTime", ""));
  s.Disc = ParseDiscPattern(doc->Get(kFrontEndSection, "DiscPattern", ""));
  // Optional, never written at first start (Flatpak, Titles, PlayTime and DiscPattern too): a
  // fresh file stays as it was.
  loaded.controller = ParseControllerSettings(doc->Get("Controller", "CloseCombo", "Back+Start"),
                                              doc->Get("Controller", "HoldMs", "1000"));
  return loaded;
}

std::string ReadFolderValue(const IniDocument& doc, std::string_view key,
                            const std::string& default_value, const std::string& app) {
  return settings::FolderValue(doc.Get(settings::kFrontEndSection, key, default_value), app);
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
