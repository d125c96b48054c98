#include "titles/MetaXml.h"

#include "titles/TitleText.h"
#include "titles/XmlDocument.h"

namespace tavro::titles {

std::optional<MetaInfo> ReadMetaXml(std::string_view bytes, std::string_view language) {
  std::optional<MetaInfo> info;
  ParseXml(bytes, kMaxMetaBytes, kMaxXmlDepth, "menu", [&](const XmlNode& menu) {
    info.emplace();
    info->title_id = ParseTitleId(ChildText(menu, "title_id"));
    for (std::string_view lang : {language, std::string_view("en")}) {
      const std::string element = "longname_" + std::string(lang);
      if (auto name = ShowableName(ChildText(menu, element.c_str()))) {
        info->name = std::move(*name);
        return;
      }
    }
  });
  return info;
}

}  // namespace tavro::titles
