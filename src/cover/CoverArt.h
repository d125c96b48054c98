#pragma once
// The cover rule: which picture a game's selection shows. It decides; the
// form loads and shows.

#include <string>
#include <vector>

namespace tavro {

// The cover file's name for a game file's name: every ".rpx", then every
// ".wud", then every ".wux" taken out (exact case), then every one of
// extensions (DiscPattern's), ".jpg" put on.
std::string CoverName(const std::string& file_name,
                      const std::vector<std::string>& extensions = {});

// What the selection of a game shows.
struct CoverArt {
  enum class Show {
    kKeep,     // no cover file: the picture on show stays
    kCover,    // the cover at path, or the default cover should it not load
    kDefault,  // the cover could not be looked for: the default cover
  };
  Show show = Show::kKeep;
  std::string path;
};

// The cover of file_name from app_folder + "\Image\". Never throws.
CoverArt ShowCoverArt(const std::string& app_folder, const std::string& file_name,
                      const std::vector<std::string>& extensions = {});

}  // namespace tavro
