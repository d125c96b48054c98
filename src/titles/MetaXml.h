#pragma once
// A game's meta/meta.xml: its title ID and its long name in the languages
// the console knows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavro::titles {

// The language suffixes of the long names, as the file spells them.
inline constexpr std::string_view kLanguages[] = {"ja",  "en", "fr", "de", "it", "es",
                                                  "zhs", "ko", "nl", "pt", "ru", "zht"};

// No real meta.xml comes near these; a larger or deeper one is refused
// unread.
constexpr std::size_t kMaxMetaBytes = 1 << 20;
constexpr std::size_t kMaxXmlDepth = 16;

struct MetaInfo {
  std::optional<std::uint64_t> title_id;  // none: missing or not 16 hex digits
  std::string name;                       // "" when no long name can be shown
};

// The long name in language (one of kLanguages), else the English one, each
// only when it can be shown. None when the document is refused or no menu.
std::optional<MetaInfo> ReadMetaXml(std::string_view bytes, std::string_view language);

}  // namespace tavro::titles
