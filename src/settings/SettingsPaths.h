#pragma once
// The names of the settings file, its entries and the folders under the
// program's folder.

#include <string>
#include <string_view>

#include "runtime/PathLiterals.h"
#include "runtime/Text.h"

namespace tavro::settings {

inline constexpr const char* kEmulatorSection = "EmulatorConfig";
inline constexpr const char* kFrontEndSection = "TavroFrontEndCnfig";

// A folder value (DirRpx, DirWudWux) as the program uses it: every path
// value of the settings file goes through here. One with neither a root nor
// a drive ("Game\x", "Game/x") is taken from the program's folder, so the
// folder a shortcut or a terminal started the program in does not change
// what it shows; one with a root or a drive ("\x", "C:x", "C:\x", "/x")
// stays as written. Where paths have drives, the long-path form
// ("\\?\C:\x", "\\?\UNC\server\share") is read as the path it spells, the
// form the rest of the program shows. An empty value stays empty: a folder
// that cannot be shown.
inline std::string FolderValue(std::string value, const std::string& app_folder) {
  if (value.empty())
    return value;
  if (paths::kDriveLetters && value.starts_with("\\\\?\\")) {
    const std::string_view rest = std::string_view(value).substr(4);
    if (rest.size() >= 2 && rest[1] == ':' && text::IsAsciiLetter(rest[0]))
      return std::string(rest);
    if (rest.size() > 4 && text::EqualsNoCase(rest.substr(0, 4), "UNC\\"))
      return "\\\\" + std::string(rest.substr(4));
    return value;
  }
  const bool rooted = value.front() == '/' || value.front() == '\\';
  const bool drive = value.size() >= 2 && value[1] == ':' && text::IsAsciiLetter(value[0]);
  if (rooted || drive)
    return value;
  return app_folder + std::string(paths::kSep) + value;
}

inline constexpr const char* kSettingsFileName = "Tavro_FrontEnd.ini";
inline std::string SettingsFile(const std::string& app_folder) {
  return app_folder + paths::Lit({kSettingsFileName});
}
// Where a settings file that failed to load is kept after a reset.
inline std::string SettingsBackup(const std::string& app_folder) {
  return SettingsFile(app_folder) + ".bak";
}
inline std::string DefaultDirRpx(const std::string& app_folder) {
  return app_folder + paths::Lit({"Game", "RPX"});
}
inline std::string DefaultDirWudWux(const std::string& app_folder) {
  return app_folder + paths::Lit({"Game", "WUD_WUX"});
}

inline constexpr const char* kDefaultFileExe = "Cemu.exe";
inline constexpr const char* kDefaultWinMode = "-g";
inline constexpr const char* kDefaultFullMode = "-f -g";

}  // namespace tavro::settings
