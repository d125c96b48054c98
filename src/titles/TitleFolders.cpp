#include "titles/TitleFolders.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"

namespace tavro::titles {

namespace {
constexpr const char* kCacheName = "title_list_cache.xml";

bool IsFolder(const std::string& path) {
  try {
    return !Dir(path, kAttrDirectory).empty() && Dir(path, kAttrNormal).empty();
  } catch (const std::exception&) {
    return false;
  }
}

bool IsFile(const std::string& path) {
  try {
    return !Dir(path, kAttrNormal).empty();
  } catch (const std::exception&) {
    return false;
  }
}
}  // namespace

bool IsFlatpakId(const std::string& id) {
  if (id.empty() || id.size() > 255 || id.front() == '.' || id.back() == '.' ||
      id.find("..") != std::string::npos || id.find('.') == std::string::npos) {
    return false;
  }
  for (char c : id) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.';
    if (!ok)
      return false;
  }
  return true;
}

namespace {
// The folder of the emulator's own files of one kind ("data" or "config"
// inside a Flatpak's folder, user_home outside it), by the emulator's rules.
std::string UserFolder(const EmulatorPlace& place, const char* flatpak_kind,
                       const std::string& user_home) {
  const std::string sep(paths::kSep);
  const std::string portable = place.folder + sep + "portable";
  if (!place.folder.empty() && IsFolder(portable))
    return portable;
  if (place.windows && !place.folder.empty() && IsFile(place.folder + sep + "settings.xml"))
    return place.folder;
  if (!place.flatpak.empty()) {
    if (!IsFlatpakId(place.flatpak) || place.home.empty())
      return {};
    return place.home + sep + ".var" + sep + "app" + sep + place.flatpak + sep + flatpak_kind +
           sep + "Cemu";
  }
  if (user_home.empty())
    return {};
  return user_home + sep + "Cemu";
}

std::string Inside(const std::string& folder, const char* name) {
  return folder.empty() ? std::string() : folder + std::string(paths::kSep) + name;
}
}  // namespace

std::string TitleCachePath(const EmulatorPlace& place) {
  return Inside(UserFolder(place, "data", place.data_home), kCacheName);
}

std::string EmulatorSettingsPath(const EmulatorPlace& place) {
  return Inside(UserFolder(place, "config", place.config_home), "settings.xml");
}

std::string DefaultMlcPath(const EmulatorPlace& place) {
  return Inside(UserFolder(place, "data", place.data_home), "mlc01");
}

std::string PlayStatsPath(const std::string& mlc) {
  return mlc + paths::Lit({"usr", "save", "system", "pdm", "80000001", "PlayStats.dat"});
}

}  // namespace tavro::titles
