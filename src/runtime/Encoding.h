#pragma once

#include <string>
#include <string_view>

namespace tavro {

// Text from a file that is not UTF-8 (an older tool wrote it in an ANSI code
// page), as UTF-8: the system's ANSI code page on Windows, Windows-1252 on
// Linux. One implementation per platform.
std::string LegacyToUtf8(std::string_view bytes);

}  // namespace tavro
