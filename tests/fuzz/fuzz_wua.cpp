// A .wua from anyone, read as the list reads it: the bytes go to a file of
// their own, which is checked and then read by the archive reader, and the
// base game's meta.xml is read.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "titles/MetaXml.h"
#include "titles/WuaArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/fuzz_wua." + std::to_string(getpid()) + ".wua";
  }();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
  std::fclose(file);
  if (const auto game = tavro::titles::ReadWuaGame(path)) {
    FUZZ_CHECK(tavro::titles::WuaFolderTitleId(game->folder).has_value());
    FUZZ_CHECK(game->meta_xml.size() <= (1u << 20));
    (void)tavro::titles::ReadMetaXml(game->meta_xml, "en");  // as the list names the row
  }
  (void)tavro::titles::ReadWuaIcon(path);
  std::remove(path.c_str());
  return 0;
}
