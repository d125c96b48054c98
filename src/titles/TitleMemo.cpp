#include "titles/TitleMemo.h"

#include <exception>

namespace tavro::titles {

std::optional<MetaInfo> TitleMemo::Meta(const std::string& path, const std::string& language) {
  const auto stamp = StampOf(path);
  if (!stamp) {
    held_.erase(path);
    return std::nullopt;
  }
  if (const auto it = held_.find(path);
      it != held_.end() && it->second.stamp == *stamp && it->second.language == language) {
    return it->second.meta;
  }
  std::optional<MetaInfo> meta;
  try {
    meta = ReadMetaXml(ReadOrdinaryFile(path, kMaxMetaBytes), language);
  } catch (const std::exception&) {
    // A refused file is kept as refused: it is not read again unchanged.
  }
  if (held_.size() >= kMaxHeld)
    held_.clear();
  held_[path] = Held{*stamp, language, meta};
  return meta;
}

}  // namespace tavro::titles
