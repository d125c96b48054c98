#include "titles/TitleCache.h"

#include "runtime/Text.h"
#include "titles/MetaXml.h"
#include "titles/TitleText.h"
#include "titles/XmlDocument.h"

namespace tavro::titles {

std::string TitleCache::Key(std::string_view path) const {
  if (!windows_paths_)
    return std::string(path);
  return text::ToLowerAscii(text::ReplaceAll(path, "/", "\\"));
}

TitleCache::TitleCache(std::string_view bytes, bool windows_paths) : windows_paths_(windows_paths) {
  ParseXml(bytes, kMaxTitleCacheBytes, kMaxXmlDepth, "title_list", [&](const XmlNode& list) {
    for (const XmlNode* node = list.first_node("title"); node != nullptr;
         node = node->next_sibling("title")) {
      const auto id = ParseTitleId(AttributeText(*node, "titleId"));
      const std::string_view path = ChildText(*node, "path");
      auto name = ShowableName(ChildText(*node, "name"));
      if (!id || TitleType(*id) != kTypeGame || path.empty() || !name || !text::IsValidUtf8(path)) {
        continue;
      }
      by_path_.insert_or_assign(Key(path), CachedTitle{std::string(path), *id, std::move(*name)});
    }
  });
}

const CachedTitle* TitleCache::Find(std::string_view path) const {
  const auto found = by_path_.find(Key(path));
  return found == by_path_.end() ? nullptr : &found->second;
}

}  // namespace tavro::titles
