// The file pattern matcher against a plain dynamic-programming matcher: the
// same answer for every name and mask, in time linear enough to never hang.

#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "runtime/Text.h"

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// match[i][j]: name[i..] matches mask[j..].
bool Reference(std::string_view name, std::string_view mask) {
  std::vector<std::vector<char>> match(name.size() + 1, std::vector<char>(mask.size() + 1, 0));
  match[name.size()][mask.size()] = 1;
  for (size_t j = mask.size(); j-- > 0;)
    match[name.size()][j] = mask[j] == '*' && match[name.size()][j + 1];
  for (size_t i = name.size(); i-- > 0;) {
    for (size_t j = mask.size(); j-- > 0;) {
      if (mask[j] == '*')
        match[i][j] = match[i][j + 1] || match[i + 1][j];
      else if (mask[j] == '?' || Lower(mask[j]) == Lower(name[i]))
        match[i][j] = match[i + 1][j + 1];
    }
  }
  return match[0][0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const auto cut = in.find('\0');
  if (cut == std::string::npos)
    return 0;
  const std::string name = in.substr(0, cut), pattern = in.substr(cut + 1);
  if (name.size() > 300 || pattern.size() > 300)
    return 0;
  bool any = false;
  for (const auto& mask : tavro::text::Split(pattern, ';')) {
    const auto trimmed = tavro::text::TrimSpaces(mask);
    FUZZ_CHECK(tavro::text::MatchMask(name, trimmed) == Reference(name, trimmed));
    any = any || (!trimmed.empty() && Reference(name, trimmed));
  }
  FUZZ_CHECK(tavro::text::MatchAnyMask(name, tavro::text::SplitPattern(pattern)) == any);
  return 0;
}
