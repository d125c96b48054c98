#pragma once
// The user's own folders that other programs keep their data in, as each
// platform names them. "" when the platform names none.

#include <string>

namespace tavro {

// Linux: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
// Windows: the roaming application data folder (%APPDATA%).
std::string UserDataHome();
// Linux: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
// Windows: the roaming application data folder (%APPDATA%), as for data.
std::string UserConfigHome();
// Linux: $HOME. Windows: "" (nothing there is found through it).
std::string UserHome();

}  // namespace tavro
