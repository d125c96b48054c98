#pragma once
// The two routines through which every access to the settings file goes.

#include <string>

#include "runtime/Runtime.h"

namespace tavro {

// The value of key in section of file, without blanks around it; the default
// when the file, the section or the key is missing. A key present with an
// empty value reads as empty text. Never throws, never shows anything.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& default_value, const std::string& file);

// Stores value under key in section of file: creates the file when missing,
// adds a missing section after the others and a missing key at the end of its
// section, and leaves every other line as it was. Lines end in CR LF; the file
// is written as UTF-8. True on success. Never throws.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file);

}  // namespace tavro

