#pragma once
// What the title view has read of each game's meta.xml this session, kept by
// the file's size and last write: a folder listed again (the same library
// opened twice, a Refresh, the folder list going back) reads no meta.xml
// that has not changed, so only a library's first listing waits on the disk.
// It holds every game of the library (a name and a title ID each), for as
// long as the program runs.

#include <optional>
#include <string>
#include <unordered_map>

#include "runtime/Files.h"
#include "titles/MetaXml.h"

namespace tavro::titles {

class TitleMemo {
 public:
  // The meta.xml at path, whose stamp the caller has just looked at, in
  // language, as ReadMetaXml gives it (none when it is refused or cannot be
  // read); read again only when its stamp changed. Another language than
  // the last one asked for starts the memo over.
  std::optional<MetaInfo> Meta(const std::string& path, const FileStamp& stamp,
                               const std::string& language);

 private:
  struct Held {
    FileStamp stamp;
    std::optional<MetaInfo> meta;
  };
  std::string language_;
  std::unordered_map<std::string, Held> held_;
};

}  // namespace tavro::titles
