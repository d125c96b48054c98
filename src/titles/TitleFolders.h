#pragma once
// Where the emulator keeps its list of titles (title_list_cache.xml in its
// user data folder), found as the emulator finds that folder.

#include <string>

namespace tavro::titles {

struct EmulatorPlace {
  std::string folder;     // the folder holding the emulator's program
  std::string flatpak;    // the Flatpak application it runs as, "" for none
  std::string data_home;  // the platform's data folder for programs
  std::string home;       // the user's home folder (Linux)
  bool windows = false;   // the Windows rules (an old install's settings.xml)
};

// The title list's path: in the "portable" folder beside the program when
// there is one; on Windows beside the program when its settings.xml is
// there; for a Flatpak that application's data folder; else the platform's
// data folder's "Cemu". "" when none can be named.
std::string TitleCachePath(const EmulatorPlace& place);

// A Flatpak application ID as the settings file gives it, when it is one
// (letters, digits, "_", "-" and dots between parts; never a path).
bool IsFlatpakId(const std::string& id);

}  // namespace tavro::titles
