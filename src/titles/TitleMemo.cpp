#include "titles/TitleMemo.h"

#include <exception>

namespace tavro::titles {

std::optional<MetaInfo> TitleMemo::Meta(const std::string& path, const FileStamp& stamp,
                                        const std::string& language) {
  if (language != language_) {
    held_.clear();
    language_ = language;
  }
  if (const auto it = held_.find(path); it != held_.end() && it->second.stamp == stamp)
    return it->second.meta;
  std::optional<MetaInfo> meta;
  try {
    meta = ReadMetaXml(ReadOrdinaryFile(path, kMaxMetaBytes), language);
  } catch (const std::exception&) {
    // A refused file is kept as refused: it is not read again unchanged.
  }
  held_.insert_or_assign(path, Held{stamp, meta});
  return meta;
}

}  // namespace tavro::titles
