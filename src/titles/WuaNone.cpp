// .wua archives where no zstd library is at hand (the Windows builds): the
// archive is never opened; the emulator's title list names it instead.
#include "titles/WuaArchive.h"

namespace tavro::titles {

bool CanReadWua() {
  return false;
}

std::optional<WuaGame> ReadWuaGame(const std::string& /*path*/) {
  return std::nullopt;
}

std::optional<std::string> ReadWuaIcon(const std::string& /*path*/) {
  return std::nullopt;
}

}  // namespace tavro::titles
