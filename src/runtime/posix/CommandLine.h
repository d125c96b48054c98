#pragma once
// The emulator's arguments as an argument vector, so no shell ever reads
// them.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/Runtime.h"
#include "runtime/Text.h"

namespace tavro {

// The mode text is split into words by text::SplitWords.
using text::SplitWords;

// What follows the program on the emulator's command: the words of the mode
// text, then the game's path whole, blanks, quotes and all. The program is
// not among them: the caller puts it first, or a starter (flatpak) before it.
std::vector<std::string> EmulatorArguments(const EmulatorCommand& command);

}  // namespace tavro
