#pragma once
// The two routines through which every access to the settings file goes.

#include <string>
#include <vector>

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
// is written as UTF-8. True (-1) on success, else False (0). Never throws.
Boolean WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file);

}  // namespace tavro

namespace tavro {

class Form1;

// The cover file's name for a game file's name: every ".rpx", then every
// ".wud", then every ".wux" taken out (exact case), then every one of
// extensions (DiscPattern's), ".jpg" put on.
std::string CoverName(const std::string& file_name,
                      const std::vector<std::string>& extensions = {});

// Shows the selected game's cover from AppFolder + "\Image\": the cover when
// it is there and loads, the default cover when anything fails, and the
// picture already shown when there is no cover file.
void ShowCoverArt(Form1& form);

}  // namespace tavro
