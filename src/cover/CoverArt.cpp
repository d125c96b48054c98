#include "cover/CoverArt.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"

namespace tavro {

std::string CoverName(const std::string& file_name, const std::vector<std::string>& extensions) {
  std::string name = text::ReplaceAll(file_name, ".rpx", "");
  name = text::ReplaceAll(name, ".wud", "");
  name = text::ReplaceAll(name, ".wux", "");
  for (const auto& extension : extensions)
    name = text::ReplaceAll(name, extension, "");
  return name + ".jpg";
}

CoverArt ShowCoverArt(const std::string& app_folder, const std::string& file_name,
                      const std::vector<std::string>& extensions) {
  try {
    std::string path = app_folder + paths::Lit({"Image"}, true) + CoverName(file_name, extensions);
    if (Dir(path, kAttrNormal).empty())
      return {};
    return {CoverArt::Show::kCover, std::move(path)};
  } catch (const std::exception&) {
    return {CoverArt::Show::kDefault, {}};
  }
}

}  // namespace tavro
