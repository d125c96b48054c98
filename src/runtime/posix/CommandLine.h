#pragma once
// The emulator's arguments as an argument vector, so no shell ever reads
// them.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/Runtime.h"

namespace tavro {

// Splits a line into words as a POSIX shell splits them, without expanding
// anything: blanks, tabs and line ends separate words; text between double or
// single quotes stays one piece and the quotes go; pieces that touch form one
// word (a"b c" is "ab c"); "" alone is an empty word. A backslash is an
// ordinary character, so paths written with backslashes arrive unchanged. A
// quote left open runs to the end of the line.
std::vector<std::string> SplitWords(std::string_view line);

// What follows the program on the emulator's command: the words of the mode
// text, then the game's path whole, blanks, quotes and all. The program is
// not among them: the caller puts it first, or a starter (flatpak) before it.
std::vector<std::string> EmulatorArguments(const EmulatorCommand& command);

}  // namespace tavro
