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

// The entries whose values are folders.
inline bool IsPathKey(std::string_view section, std::string_view key) {
  return text::EqualsNoCase(section, kFrontEndSection) &&
         (text::EqualsNoCase(key, "DirRpx") || text::EqualsNoCase(key, "DirWudWux"));
}

inline std::string SettingsFile(const std::string& app_folder) {
  return app_folder + paths::Lit({"Tavro_FrontEnd.ini"});
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
