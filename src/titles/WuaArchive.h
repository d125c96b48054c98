#pragma once
// A .wua archive (the emulator's compressed game, update and DLC in one
// file): the base game's meta files, read by our own reader over zstd on
// every build.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavro::titles {

struct WuaGame {
  std::string meta_xml;  // the base game's meta/meta.xml
  std::string folder;    // its folder in the archive, "<16 hex digits>_v<version>"
};

// The base game's meta.xml from the archive at path; none when the file is
// no ordinary file, no archive that passes the checks below, or holds no
// base game.
std::optional<WuaGame> ReadWuaGame(const std::string& path);
// The base game's meta/iconTex.tga, read as above; none likewise.
std::optional<std::string> ReadWuaIcon(const std::string& path);

// ---- The checks made before the reader trusts an archive's tables (no
// zstd needed; also what the fuzz target drives) ----

// The footer's size at the end of every archive.
constexpr std::size_t kWuaFooterBytes = 144;

struct WuaSection {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};
struct WuaFooter {
  WuaSection data, offset_records, names, file_tree;
};

// The footer read from the archive's last kWuaFooterBytes bytes, when its
// magic, version and total size fit a file of file_size bytes and every
// section lies inside the file and within the sizes a game's archive has.
std::optional<WuaFooter> CheckWuaFooter(std::string_view footer, std::uint64_t file_size);

// Whether the directory tree and the names it points at are whole: every
// folder's entries, every name and every file's bytes in range. The reader
// takes them as they are.
bool CheckWuaTree(std::string_view tree, std::string_view names, std::uint64_t offset_records_size);

// Whether a top-level folder's name is a game's, update's or DLC's
// "<16 hex digits>_v<digits>", and its title ID.
std::optional<std::uint64_t> WuaFolderTitleId(std::string_view name);

}  // namespace tavro::titles
