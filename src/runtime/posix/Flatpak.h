#pragma once
// The emulator installed from Flathub: a Flatpak application, run through
// the flatpak program rather than from a file.

#include <string>
#include <string_view>
#include <vector>

namespace tavro {

// Whether text is a Flatpak application id: three or more parts separated by
// dots, each of letters, digits, "_" and "-", none empty or starting with a
// digit or "-", at most 255 characters. Nothing else is ever looked up or passed to
// a program: a value such as "../x" or "-x" could name another folder or
// read as an option.
bool IsFlatpakAppId(std::string_view text);

// The installations an application may be in: the system's
// ($FLATPAK_SYSTEM_DIR, or /var/lib/flatpak) and this user's
// ($FLATPAK_USER_DIR, or $XDG_DATA_HOME/flatpak, or
// ~/.local/share/flatpak). Relative values are ignored, as flatpak's
// own rules ask.
std::vector<std::string> FlatpakInstallations();

// Whether app_id is installed in one of installations: its app/<id> folder
// is there. Looking is far cheaper than running flatpak at every click.
bool FlatpakInstalledIn(const std::vector<std::string>& installations, std::string_view app_id);

// The argument vectors: "flatpak run <id>" followed by args, and
// "flatpak kill <id>". flatpak is looked up along PATH.
std::vector<std::string> FlatpakRun(const std::string& app_id, std::vector<std::string> args);
std::vector<std::string> FlatpakKill(const std::string& app_id);

}  // namespace tavro
