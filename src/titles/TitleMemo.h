#pragma once
// What the title view has read of each game's meta.xml this session, kept by
// the file's size and last write: a folder listed again (the same library
// opened twice, a Refresh, the folder list going back) reads no meta.xml
// that has not changed, so only a library's first listing waits on the disk.

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

#include "runtime/Files.h"
#include "titles/MetaXml.h"

namespace tavro::titles {

class TitleMemo {
 public:
  // Read at most this many files' results; beyond it the memo starts over.
  static constexpr std::size_t kMaxHeld = 8192;

  // The meta.xml at path in language, as ReadMetaXml gives it (none when it
  // is refused, cannot be read or is no ordinary file); read again only
  // when its size or time changed or another language is asked for.
  std::optional<MetaInfo> Meta(const std::string& path, const std::string& language);

 private:
  struct Held {
    FileStamp stamp;
    std::string language;
    std::optional<MetaInfo> meta;
  };
  std::unordered_map<std::string, Held> held_;
};

}  // namespace tavro::titles
