// .wua archives on Linux: checked here, then read through libzarchive.
#include "titles/WuaArchive.h"

#include <zarchive/zarchivereader.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include "runtime/OpenedFile.h"
#include "titles/IconTga.h"
#include "titles/MetaXml.h"
#include "titles/TitleText.h"

namespace tavro::titles {

namespace {

// The library on a checked archive, or none. It is handed the opened file's
// own name, so what it reads is the file that was checked.
std::unique_ptr<ZArchiveReader> OpenChecked(const OpenedFile& file) {
  if (file.Size() < kWuaFooterBytes)
    return nullptr;
  const auto footer =
      CheckWuaFooter(file.ReadAt(file.Size() - kWuaFooterBytes, kWuaFooterBytes), file.Size());
  if (!footer)
    return nullptr;
  const std::string tree = file.ReadAt(footer->file_tree.offset, footer->file_tree.size);
  const std::string names = file.ReadAt(footer->names.offset, footer->names.size);
  if (!CheckWuaTree(tree, names, footer->offset_records.size))
    return nullptr;
  return std::unique_ptr<ZArchiveReader>(ZArchiveReader::OpenFromFile(file.ReopenName()));
}

// The base game's folder: the first top-level folder, in name order, whose
// name carries a game's title ID.
std::string BaseGameFolder(ZArchiveReader& archive) {
  const ZArchiveNodeHandle root = archive.LookUp("", false, true);
  if (root == ZARCHIVE_INVALID_NODE)
    return {};
  std::vector<std::string> games;
  const std::uint32_t count = archive.GetDirEntryCount(root);
  for (std::uint32_t i = 0; i < count; ++i) {
    ZArchiveReader::DirEntry entry{};
    if (!archive.GetDirEntry(root, i, entry) || !entry.isDirectory)
      continue;
    const auto id = WuaFolderTitleId(entry.name);
    if (id && TitleType(*id) == kTypeGame)
      games.emplace_back(entry.name);
  }
  std::sort(games.begin(), games.end());
  return games.empty() ? std::string() : games.front();
}

// A file inside the archive, when it is one and at most max_bytes long.
std::optional<std::string> ReadInside(ZArchiveReader& archive, const std::string& name,
                                      std::size_t max_bytes) {
  const ZArchiveNodeHandle node = archive.LookUp(name, true, false);
  if (node == ZARCHIVE_INVALID_NODE)
    return std::nullopt;
  const std::uint64_t size = archive.GetFileSize(node);
  if (size > max_bytes)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (archive.ReadFromFile(node, 0, size, bytes.data()) != size)
    return std::nullopt;
  return bytes;
}

// What the base game's folder holds at part, or none.
std::optional<std::pair<std::string, std::string>> ReadBaseGameFile(const std::string& path,
                                                                    const char* part,
                                                                    std::size_t max_bytes) {
  try {
    const OpenedFile file(path);
    const auto archive = OpenChecked(file);
    if (!archive)
      return std::nullopt;
    std::string folder = BaseGameFolder(*archive);
    if (folder.empty())
      return std::nullopt;
    auto bytes = ReadInside(*archive, folder + part, max_bytes);
    if (!bytes)
      return std::nullopt;
    return std::make_pair(std::move(folder), std::move(*bytes));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

bool CanReadWua() {
  return true;
}

std::optional<WuaGame> ReadWuaGame(const std::string& path) {
  auto found = ReadBaseGameFile(path, "/meta/meta.xml", kMaxMetaBytes);
  if (!found)
    return std::nullopt;
  return WuaGame{std::move(found->second), std::move(found->first)};
}

std::optional<std::string> ReadWuaIcon(const std::string& path) {
  auto found = ReadBaseGameFile(path, "/meta/iconTex.tga", kMaxIconBytes);
  if (!found)
    return std::nullopt;
  return std::move(found->second);
}

}  // namespace tavro::titles
