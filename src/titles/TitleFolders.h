#pragma once
// Where the emulator keeps its list of titles (title_list_cache.xml in its
// user data folder) and its settings file (settings.xml in its config
// folder), found as the emulator finds those folders.

#include <string>

namespace tavro::titles {

struct EmulatorPlace {
  std::string folder;       // the folder holding the emulator's program
  std::string flatpak;      // the Flatpak application it runs as, "" for none
  std::string data_home;    // the platform's data folder for programs
  std::string config_home;  // the platform's config folder for programs
  std::string home;         // the user's home folder (Linux)
  bool windows = false;     // the Windows rules (an old install's settings.xml)
};

// The title list's path: in the "portable" folder beside the program when
// there is one; on Windows beside the program when its settings.xml is
// there; for a Flatpak that application's data folder; else the platform's
// data folder's "Cemu". "" when none can be named.
std::string TitleCachePath(const EmulatorPlace& place);

// The settings file's path, by the same rules with the config folders: the
// "portable" folder, an old install's settings.xml beside the program on
// Windows, the Flatpak application's config folder, else the platform's
// config folder's "Cemu". "" when none can be named.
std::string EmulatorSettingsPath(const EmulatorPlace& place);

// The default storage ("mlc01" in the folder that holds the title list);
// "" when none can be named.
std::string DefaultMlcPath(const EmulatorPlace& place);

// The play statistics file inside the storage folder mlc.
std::string PlayStatsPath(const std::string& mlc);

// A Flatpak application ID as the settings file gives it, when it is one
// (letters, digits, "_", "-" and dots between parts; never a path).
bool IsFlatpakId(const std::string& id);

}  // namespace tavro::titles
