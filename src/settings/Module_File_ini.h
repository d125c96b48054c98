#pragma once
// The settings file: one document, parsed once and looked up many times, and
// the two routines through which every single access to the file goes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Runtime.h"

namespace tavro {

// The largest settings file that is read: far beyond any written by hand, and
// a bound for a file that is no settings file at all.
inline constexpr std::size_t kMaxSettingsBytes = std::size_t{16} << 20;

// The lines of a settings file as UTF-8, read the way the platform's profile
// functions read them: the first section of a name counts, the first key of
// a name within it, blanks and tabs around names and values go, a value in
// matching quotes loses them, and a value ends at a NUL character.
class IniDocument {
 public:
  IniDocument() = default;
  // The file's bytes decoded: UTF-16 with its byte-order mark, UTF-8, or
  // the legacy code page. folder is where the file sits: a folder value that
  // is no UTF-8 is taken as its bytes on Linux when those name an entry,
  // looked up from there when it is relative.
  static IniDocument FromBytes(std::string bytes, const std::string& folder);
  // The document of file; none when it is missing, is no ordinary file, is
  // larger than kMaxSettingsBytes or cannot be read. Never throws.
  static std::optional<IniDocument> Load(const std::string& file);

  // The value of key in section; none when either is missing or the entry
  // has no "=".
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string Get(std::string_view section, std::string_view key,
                  const std::string& default_value) const {
    return Find(section, key).value_or(default_value);
  }
  // Puts key=value in as the classic profile writer does: the entry the
  // reader finds is replaced, a new key goes after its section's last entry,
  // a new section at the end. False, with nothing changed, for an empty name
  // or a line break anywhere (it could not be read back as written).
  bool Set(const std::string& section, const std::string& key, const std::string& value);
  // The whole file as written: every line, each ending in CR LF.
  std::string Bytes() const;

 private:
  std::vector<std::string> lines_;
};

// The value of key in section of file, without blanks around it; the default
// when the file, the section or the key is missing, and when the file is no
// ordinary file or cannot be read. A key present with an empty value reads as
// empty text. Never throws, never shows anything.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& default_value, const std::string& file);

// Stores value under key in section of file: creates the file when missing,
// adds a missing section after the others and a missing key at the end of its
// section, and leaves every other line as it was. Lines end in CR LF; the file
// is written as UTF-8 (a folder's value as the bytes it is given), as a new
// file that replaces the name. A file there that cannot be read is never
// overwritten. True on success. Never throws.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

}  // namespace tavro
