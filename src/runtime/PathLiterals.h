#pragma once
// The one place that knows how the platform spells paths. The program joins
// paths as plain text, AppFolder followed by a literal that starts with the
// separator; these literals keep that shape on both platforms.

#include <initializer_list>
#include <string>
#include <string_view>

namespace tavro::paths {

#ifdef _WIN32
inline constexpr std::string_view kSep = "\\";
inline constexpr bool kDriveLetters = true;
inline constexpr bool kCaseInsensitive = true;
inline constexpr bool kDotNamesHidden = false;
inline constexpr bool kPathsAreBytes = false;
// A .bat or .cmd program runs through the command interpreter.
inline constexpr bool kBatchFiles = true;
#else
inline constexpr std::string_view kSep = "/";
inline constexpr bool kDriveLetters = false;
inline constexpr bool kCaseInsensitive = false;
inline constexpr bool kDotNamesHidden = true;
// A Linux path is bytes, which need not be UTF-8 (an old disk, a home folder
// in Latin-1); a Windows path is always Unicode.
inline constexpr bool kPathsAreBytes = true;
inline constexpr bool kBatchFiles = false;
#endif

// Builds a literal such as "\Game\RPX" from its parts: Lit({"Game", "RPX"}).
inline std::string Lit(std::initializer_list<std::string_view> parts, bool trailing = false) {
  std::string out;
  for (auto part : parts) {
    out += kSep;
    out += part;
  }
  if (trailing)
    out += kSep;
  return out;
}

}  // namespace tavro::paths
