#include "titles/TitleText.h"

#include "runtime/Text.h"

namespace tavro::titles {

namespace {
// The meta.xml field holds 512 bytes; a name longer than twice that is no
// title anyone made.
constexpr std::size_t kMaxNameBytes = 1024;

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// C0 controls, DEL and the C1 controls (U+0080 to U+009F, which arrive as
// C2 80 to C2 9F in valid UTF-8).
bool HasControl(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F)
      return true;
    if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xA0)
      return true;
  }
  return false;
}

// The next code point of valid UTF-8 at i, moving i past it.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80)
    return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k)
    c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return c;
}

// Blanks that show as nothing: the space separators and the zero-width
// characters (U+2000 to U+200A are spaces, U+200B to U+200D zero-width).
bool IsInvisible(char32_t c) {
  return c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200D) || c == 0x202F ||
         c == 0x205F || c == 0x2060 || c == 0x3000 || c == 0xFEFF;
}

// Embeddings, overrides and isolates: they reorder the text after them, so
// "evil\u202Egnp.exe" reads as a picture's name.
bool IsBidiControl(char32_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Something a player can read and nothing that reorders it.
bool ReadsAsItIs(std::string_view name) {
  bool visible = false;
  for (std::size_t i = 0; i < name.size();) {
    const char32_t c = NextCodePoint(name, i);
    if (IsBidiControl(c))
      return false;
    visible = visible || !IsInvisible(c);
  }
  return visible;
}
}  // namespace

std::optional<std::uint64_t> ParseTitleId(std::string_view text) {
  if (text.size() != 16)
    return std::nullopt;
  std::uint64_t id = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0)
      return std::nullopt;
    id = (id << 4) | static_cast<std::uint64_t>(digit);
  }
  return id;
}

std::string TitleIdText(std::uint64_t id) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, id >>= 4)
    out[static_cast<std::size_t>(i)] = kDigits[id & 0xF];
  return out;
}

std::optional<std::string> ShowableName(std::string_view raw) {
  if (raw.size() > kMaxNameBytes || !text::IsValidUtf8(raw))
    return std::nullopt;
  std::string name = text::ReplaceAll(raw, "\r\n", " ");
  name = text::ReplaceAll(name, "\n", " ");
  name = text::ReplaceAll(name, "\r", " ");
  name = text::ReplaceAll(name, "\xE2\x80\xA8", " ");  // U+2028, the line separator
  name = text::ReplaceAll(name, "\xE2\x80\xA9", " ");  // U+2029, the paragraph separator
  name = text::TrimSpaces(name);
  if (name.empty() || HasControl(name) || !ReadsAsItIs(name))
    return std::nullopt;
  return name;
}

}  // namespace tavro::titles
