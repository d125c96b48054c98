#include "settings/DiscPattern.h"

#include <algorithm>

#include "runtime/Text.h"

namespace tavro {

DiscPattern ParseDiscPattern(const std::string& value) {
  DiscPattern out;
  std::vector<std::string> masks;
  for (const auto& part : text::Split(value, ';')) {
    std::string mask = text::TrimSpaces(part);
    const bool names_a_kind = mask.find_first_not_of("*?.") != std::string::npos &&
                              mask.find_first_of("/\\") == std::string::npos;
    if (!names_a_kind)
      return DiscPattern{};
    masks.push_back(std::move(mask));
  }
  out.pattern.clear();
  out.caption = "Games";
  for (const auto& mask : masks) {
    out.pattern += (out.pattern.empty() ? "" : ";") + mask;
    out.caption += " " + mask;
    // The extension a mask names outright (".wua" of "*.wua"); one with a
    // wildcard in it names no text to take out.
    const auto dot = mask.rfind('.');
    if (dot == std::string::npos || dot + 1 == mask.size())
      continue;
    const std::string extension = mask.substr(dot);
    if (extension.find_first_of("*?") == std::string::npos &&
        std::find(out.extensions.begin(), out.extensions.end(), extension) == out.extensions.end())
      out.extensions.push_back(extension);
  }
  return out;
}

}  // namespace tavro
