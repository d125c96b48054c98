// .wua archives: checked (WuaChecks.cpp), then read here. The files' bytes
// follow one another in blocks of 64 KiB, each stored as it is or as one
// zstd frame, and a table of records gives every block's place (a record's
// own offset, then each block's stored size). Only the blocks the wanted
// file covers are read, and each must come out as 64 KiB exactly.
#include "titles/WuaArchive.h"

#include <zstd.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include "runtime/OpenedFile.h"
#include "titles/BigEndian.h"
#include "titles/IconTga.h"
#include "titles/MetaXml.h"
#include "titles/TitleText.h"

namespace tavro::titles {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::size_t kBlocksPerRecord = 16;
constexpr std::size_t kRecordBytes = 8 + 2 * kBlocksPerRecord;
constexpr std::size_t kEntryBytes = 16;
constexpr std::uint32_t kIsFile = 0x80000000u;
constexpr std::uint32_t kNoName = 0x7FFFFFFF;

// Folder names compare as the archive tool compares them: ASCII letters
// without regard to case, every other byte as it is.
bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

struct ZstdContext {
  void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

// An archive that passed the checks: its folder tree and names in memory,
// the rest read from the opened file as a file inside needs it. The checks
// keep every name, folder range and file extent inside the tables; what is
// left to check here is each block's place and what it decompresses to.
class Archive {
 public:
  Archive(const OpenedFile& file, const WuaFooter& footer, std::string tree, std::string names)
      : file_(file), footer_(footer), tree_(std::move(tree)), names_(std::move(names)) {}

  std::size_t Entries() const { return tree_.size() / kEntryBytes; }
  bool IsFile(std::size_t entry) const { return (Word(entry, 0) & kIsFile) != 0; }

  std::string_view Name(std::size_t entry) const {
    const std::uint32_t offset = Word(entry, 0) & ~kIsFile;
    if (offset == kNoName)
      return {};
    std::size_t length = static_cast<unsigned char>(names_[offset]);
    std::size_t start = offset + 1;
    if ((length & 0x80) != 0)
      length = (length & 0x7F) | (std::size_t{static_cast<unsigned char>(names_[start++])} << 7);
    return std::string_view(names_).substr(start, length);
  }

  // The entries a folder holds, as the first and one past the last.
  std::pair<std::size_t, std::size_t> Children(std::size_t folder) const {
    const std::size_t first = Word(folder, 1);
    return {first, first + Word(folder, 2)};
  }

  // The entry at path ("a/b/c") below the root, a file or a folder as asked.
  std::optional<std::size_t> LookUp(std::string_view path, bool file) const {
    std::size_t at = 0;
    while (!path.empty()) {
      const std::size_t slash = path.find('/');
      const std::string_view part = path.substr(0, slash);
      path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
      const auto [first, last] = Children(at);
      std::size_t found = last;
      for (std::size_t i = first; i < last && found == last; ++i) {
        if (IsFile(i) == (path.empty() && file) && SameName(Name(i), part))
          found = i;
      }
      if (found == last)
        return std::nullopt;
      at = found;
    }
    return at;
  }

  // A file's bytes, when it is at most max_bytes long and every block it
  // covers is whole.
  std::optional<std::string> Read(std::size_t entry, std::size_t max_bytes) const {
    const std::uint64_t offset = Word(entry, 1) | (std::uint64_t{Word(entry, 3) & 0xFFFF} << 32);
    const std::uint64_t size = Word(entry, 2) | (std::uint64_t{Word(entry, 3) & 0xFFFF0000} << 16);
    if (size > max_bytes)
      return std::nullopt;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    const std::unique_ptr<ZSTD_DCtx, ZstdContext> context(ZSTD_createDCtx());
    std::string block(kBlockBytes, '\0');
    for (std::uint64_t at = offset; at < offset + size;) {
      if (!context || !ReadBlock(at / kBlockBytes, *context, block))
        return std::nullopt;
      const std::size_t from = static_cast<std::size_t>(at % kBlockBytes);
      const std::size_t count =
          static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes - from, offset + size - at));
      bytes.append(block, from, count);
      at += count;
    }
    return bytes;
  }

 private:
  std::uint32_t Word(std::size_t entry, std::size_t word) const {
    return static_cast<std::uint32_t>(BigEndian(tree_, entry * kEntryBytes + word * 4, 4));
  }

  // Block number index, decompressed into out (64 KiB).
  bool ReadBlock(std::uint64_t index, ZSTD_DCtx& context, std::string& out) const {
    const std::uint64_t record_at = index / kBlocksPerRecord * kRecordBytes;
    if (record_at >= footer_.offset_records.size)
      return false;
    const std::string record =
        file_.ReadAt(footer_.offset_records.offset + record_at, kRecordBytes);
    const std::uint64_t base = BigEndian(record, 0, 8);
    const auto stored = [&](std::uint64_t i) { return BigEndian(record, 8 + i * 2, 2) + 1; };
    std::uint64_t before = 0;
    for (std::uint64_t i = 0; i < index % kBlocksPerRecord; ++i)
      before += stored(i);
    const std::uint64_t length = stored(index % kBlocksPerRecord);
    const std::uint64_t data_size = footer_.data.size;
    if (base > data_size || before > data_size - base || length > data_size - base - before)
      return false;
    const std::string in =
        file_.ReadAt(footer_.data.offset + base + before, static_cast<std::size_t>(length));
    // A block that would not shrink is stored as it is.
    if (length == kBlockBytes) {
      out = in;
      return true;
    }
    const std::size_t made =
        ZSTD_decompressDCtx(&context, out.data(), out.size(), in.data(), in.size());
    return !ZSTD_isError(made) && made == kBlockBytes;
  }

  const OpenedFile& file_;
  WuaFooter footer_;
  std::string tree_;
  std::string names_;
};

// The base game's folder: the first top-level folder, in name order, whose
// name carries a game's title ID.
std::optional<std::size_t> BaseGameFolder(const Archive& archive) {
  std::optional<std::size_t> base;
  const auto [first, last] = archive.Children(0);
  for (std::size_t i = first; i < last; ++i) {
    const auto id = archive.IsFile(i) ? std::nullopt : WuaFolderTitleId(archive.Name(i));
    if (id && TitleType(*id) == kTypeGame && (!base || archive.Name(i) < archive.Name(*base)))
      base = i;
  }
  return base;
}

// What the base game's folder holds at part, with the folder's name, or none.
std::optional<std::pair<std::string, std::string>> ReadBaseGameFile(const std::string& path,
                                                                    const char* part,
                                                                    std::size_t max_bytes) {
  try {
    const OpenedFile file(path);
    if (file.Size() < kWuaFooterBytes)
      return std::nullopt;
    const auto footer =
        CheckWuaFooter(file.ReadAt(file.Size() - kWuaFooterBytes, kWuaFooterBytes), file.Size());
    if (!footer)
      return std::nullopt;
    std::string tree = file.ReadAt(footer->file_tree.offset, footer->file_tree.size);
    std::string names = file.ReadAt(footer->names.offset, footer->names.size);
    if (!CheckWuaTree(tree, names, footer->offset_records.size))
      return std::nullopt;
    const Archive archive(file, *footer, std::move(tree), std::move(names));
    const auto folder = BaseGameFolder(archive);
    if (!folder)
      return std::nullopt;
    std::string name(archive.Name(*folder));
    const auto entry = archive.LookUp(name + part, true);
    if (!entry)
      return std::nullopt;
    auto bytes = archive.Read(*entry, max_bytes);
    if (!bytes)
      return std::nullopt;
    return std::make_pair(std::move(name), std::move(*bytes));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

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
