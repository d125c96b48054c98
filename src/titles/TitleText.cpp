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
  name = text::TrimSpaces(name);
  if (name.empty() || HasControl(name))
    return std::nullopt;
  return name;
}

}  // namespace tavro::titles
