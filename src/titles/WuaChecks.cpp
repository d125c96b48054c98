#include "titles/WuaArchive.h"

#include "titles/BigEndian.h"
#include "titles/TitleText.h"

namespace tavro::titles {

namespace {

constexpr std::uint32_t kMagic = 0x169f52d6;
constexpr std::uint32_t kVersion1 = 0x61bf3a01;
// Far above any game's tables (a game of 100,000 files has a tree of
// 1.6 MB), far below what would hurt to allocate.
constexpr std::uint64_t kMaxTableBytes = std::uint64_t{64} << 20;
constexpr std::uint64_t kOffsetRecordBytes = 40;
constexpr std::uint64_t kBlocksPerRecord = 16;
constexpr std::uint64_t kBlockBytes = 64 * 1024;
constexpr std::size_t kTreeEntryBytes = 16;
constexpr std::uint32_t kNoName = 0x7FFFFFFF;

bool Inside(const WuaSection& section, std::uint64_t file_size) {
  return section.offset <= file_size && section.size <= file_size - section.offset;
}

// The name at offset in the names table: a length of one byte, or of two
// when the first has its top bit set, then the name's bytes.
bool NameInRange(std::string_view names, std::uint32_t offset) {
  if (offset == kNoName)
    return true;
  if (offset >= names.size())
    return false;
  std::uint64_t length = static_cast<unsigned char>(names[offset]);
  std::uint64_t start = offset + 1;
  if ((length & 0x80) != 0) {
    if (start >= names.size())
      return false;
    length = (length & 0x7F) | (std::uint64_t{static_cast<unsigned char>(names[start])} << 7);
    ++start;
  }
  return start + length <= names.size();
}

}  // namespace

std::optional<WuaFooter> CheckWuaFooter(std::string_view footer, std::uint64_t file_size) {
  if (footer.size() != kWuaFooterBytes)
    return std::nullopt;
  WuaSection sections[6];
  for (std::size_t i = 0; i < 6; ++i)
    sections[i] = {BigEndian(footer, i * 16, 8), BigEndian(footer, i * 16 + 8, 8)};
  const std::uint64_t total = BigEndian(footer, 128, 8);
  const auto version = static_cast<std::uint32_t>(BigEndian(footer, 136, 4));
  const auto magic = static_cast<std::uint32_t>(BigEndian(footer, 140, 4));
  if (magic != kMagic || version != kVersion1 || total != file_size)
    return std::nullopt;
  for (const auto& section : sections) {
    if (!Inside(section, file_size))
      return std::nullopt;
  }
  const WuaFooter parts{sections[0], sections[1], sections[2], sections[3]};
  if (parts.offset_records.size % kOffsetRecordBytes != 0 || parts.file_tree.size == 0 ||
      parts.file_tree.size % kTreeEntryBytes != 0 || parts.names.size > kMaxTableBytes ||
      parts.file_tree.size > kMaxTableBytes || parts.offset_records.size > kMaxTableBytes) {
    return std::nullopt;
  }
  return parts;
}

bool CheckWuaTree(std::string_view tree, std::string_view names,
                  std::uint64_t offset_records_size) {
  const std::uint64_t count = tree.size() / kTreeEntryBytes;
  if (count == 0 || tree.size() % kTreeEntryBytes != 0)
    return false;
  // What the offset records can give: every file's bytes must be in there.
  const std::uint64_t data_bytes =
      offset_records_size / kOffsetRecordBytes * kBlocksPerRecord * kBlockBytes;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::size_t at = static_cast<std::size_t>(i) * kTreeEntryBytes;
    const auto name_and_type = static_cast<std::uint32_t>(BigEndian(tree, at, 4));
    const auto a = BigEndian(tree, at + 4, 4);
    const auto b = BigEndian(tree, at + 8, 4);
    const auto c = BigEndian(tree, at + 12, 4);
    if (!NameInRange(names, name_and_type & 0x7FFFFFFF))
      return false;
    if ((name_and_type & 0x80000000u) != 0) {
      const std::uint64_t offset = a | ((c & 0xFFFF) << 32);
      const std::uint64_t size = b | ((c & 0xFFFF0000) << 16);
      if (offset > data_bytes || size > data_bytes - offset)
        return false;
    } else if (a > count || b > count - a) {
      return false;  // a folder's entries outside the tree
    }
  }
  // The root is a folder.
  return (BigEndian(tree, 0, 4) & 0x80000000u) == 0;
}

std::optional<std::uint64_t> WuaFolderTitleId(std::string_view name) {
  if (name.size() < 19 || name.substr(16, 2) != "_v")
    return std::nullopt;
  for (char c : name.substr(18)) {
    if (c < '0' || c > '9')
      return std::nullopt;
  }
  return ParseTitleId(name.substr(0, 16));
}

}  // namespace tavro::titles
