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

std::string TitleCachePath(const EmulatorPlace& place) {
  const std::string sep(paths::kSep);
  const std::string portable = place.folder + sep + "portable";
  if (!place.folder.empty() && IsFolder(portable))
    return portable + sep + kCacheName;
  if (place.windows && !place.folder.empty() && IsFile(place.folder + sep + "settings.xml"))
    return place.folder + sep + kCacheName;
  if (!place.flatpak.empty()) {
    if (!IsFlatpakId(place.flatpak) || place.home.empty())
      return {};
    return place.home + sep + ".var" + sep + "app" + sep + place.flatpak + sep + "data" + sep +
           "Cemu" + sep + kCacheName;
  }
  if (place.data_home.empty())
    return {};
  return place.data_home + sep + "Cemu" + sep + kCacheName;
}

}  // namespace tavro::titles
