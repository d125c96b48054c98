#pragma once
// The two routines through which every access to the settings file goes.

#include <cstddef>
#include <string>

#include "runtime/Runtime.h"

namespace tavro {

// The largest settings file that is read: far beyond any written by hand, and
// a bound for a file that is no settings file at all.
inline constexpr std::size_t kMaxSettingsBytes = std::size_t{16} << 20;

// The value of key in section of file, without blanks around it; the default
// when the file, the section or the key is missing, and when the file is no
// ordinary file or cannot be read. A key present with an empty value reads as
// empty text. A folder's value (DirRpx, DirWudWux) in a file that is not
// UTF-8 is taken as its bytes on Linux when those name an entry. Never
// throws, never shows anything.
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

