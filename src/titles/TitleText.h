#pragma once
// What a game's own files say about it, checked before anything shows it:
// its name (text from a file anyone may have made) and its title ID.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavro::titles {

// A title ID is exactly 16 hex digits; anything else is no ID.
std::optional<std::uint64_t> ParseTitleId(std::string_view text);
// The 16 hex digits in upper case, the way cover sets name their files.
std::string TitleIdText(std::uint64_t id);

// The kind of title an ID's upper half names: updates and DLC are never
// listed as games.
constexpr std::uint32_t kTypeGame = 0x00050000;
constexpr std::uint32_t kTypeDlc = 0x0005000C;
constexpr std::uint32_t kTypeUpdate = 0x0005000E;
constexpr std::uint32_t TitleType(std::uint64_t id) {
  return static_cast<std::uint32_t>(id >> 32);
}
constexpr bool IsUpdateOrDlc(std::uint64_t id) {
  return TitleType(id) == kTypeDlc || TitleType(id) == kTypeUpdate;
}

// A name fit to show: valid UTF-8, each line break (CR LF, LF, CR, U+2028
// or U+2029) one blank, blanks around it trimmed. None when it is empty, too
// long for any title, holds any other control character or a bidi control
// (U+202A to U+202E, U+2066 to U+2069), or is only blanks and invisible
// characters (the space separators, U+200B to U+200D, U+2060, U+FEFF).
std::optional<std::string> ShowableName(std::string_view raw);

}  // namespace tavro::titles
