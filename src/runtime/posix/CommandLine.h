#pragma once
// Turns the command lines the modules build into argument vectors, so no
// shell ever reads them.

#include <string>
#include <string_view>
#include <vector>

namespace tavro {

// Splits a line into words as a POSIX shell splits them, without expanding
// anything: blanks, tabs and line ends separate words; text between double or
// single quotes stays one piece and the quotes go; pieces that touch form one
// word (a"b c" is "ab c"); "" alone is an empty word. A backslash is an
// ordinary character, so paths written with backslashes arrive unchanged. A
// quote left open runs to the end of the line.
std::vector<std::string> SplitWords(std::string_view line);

// The argument vector of a command line. When program is given, the line
// starts with it and it becomes the first argument whole, blanks and all; the
// rest of the line gives the others. A line that does not start with program
// followed by a blank keeps its words after its first one. Without program,
// all the words of the line.
std::vector<std::string> ArgumentVector(std::string_view command_line, const std::string& program);

}  // namespace tavro
