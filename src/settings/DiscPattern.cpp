#include "settings/DiscPattern.h"

#include <string_view>
#include <unordered_set>

#include "runtime/Text.h"

namespace tavro {

namespace {

// A mask without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

DiscPattern ParseDiscPattern(const std::string& value) {
  std::vector<std::string_view> masks;
  std::string_view rest = value;
  for (;;) {
    const auto semicolon = rest.find(';');
    const std::string_view mask = TrimBlanks(rest.substr(0, semicolon));
    const bool names_a_kind = mask.find_first_not_of("*?.") != std::string_view::npos &&
                              mask.find_first_of("/\\") == std::string_view::npos;
    if (!names_a_kind)
      return DiscPattern{};
    masks.push_back(mask);
    if (semicolon == std::string_view::npos)
      break;
    rest.remove_prefix(semicolon + 1);
  }
  DiscPattern out;
  out.pattern.clear();
  out.caption = "Games";
  // Each extension once, in the order first named; a set keeps this linear
  // in the number of masks.
  std::unordered_set<std::string_view> seen;
  for (const auto mask : masks) {
    if (!out.pattern.empty())
      out.pattern += ';';
    out.pattern += mask;
    out.caption.append(" ").append(mask);
    // The extension a mask names outright (".wua" of "*.wua"); one with a
    // wildcard in it names no text to take out.
    const auto dot = mask.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == mask.size())
      continue;
    const std::string_view extension = mask.substr(dot);
    if (extension.find_first_of("*?") == std::string_view::npos && seen.insert(extension).second)
      out.extensions.emplace_back(extension);
  }
  return out;
}

}  // namespace tavro
