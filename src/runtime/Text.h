#pragma once
// Small text helpers shared by the controls and the modules. Texts are UTF-8;
// "without regard to case" folds ASCII letters only, which is what file masks
// and drive names need.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::text {

bool IsValidUtf8(std::string_view bytes);
// Appends one code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t code_point);

// Removes leading and trailing blanks (code 32 only; tabs stay).
std::string TrimSpaces(std::string_view s);

bool IsAsciiLetter(char c);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool LessNoCase(std::string_view a, std::string_view b);

// Matches name against a mask with * and ?, without regard to case.
bool MatchMask(std::string_view name, std::string_view mask);
// The masks of a list separated by ";", without blanks around each; empty
// ones left out.
std::vector<std::string> SplitPattern(std::string_view pattern);
// Matches name against any of the masks.
bool MatchAnyMask(std::string_view name, const std::vector<std::string>& masks);

// A file or folder name as a message box shows it: a name of more than 260
// characters as its first 128 and last 128 with an ellipsis between, so the
// box stays on the screen; a shorter one whole. Characters are counted, not
// bytes, and a UTF-8 sequence is never cut.
std::string NameForBox(std::string_view name);

// A message box's text with every unbroken run (no blank, tab or line break
// in it) that fits says is too wide shortened in its middle with an
// ellipsis, keeping as much of both ends as fits, so that the box stays
// within the screen: a box wraps its lines only between runs. fits measures
// a run as the box would show it.
std::string FitRunsForBox(std::string_view text,
                          const std::function<bool(std::string_view run)>& fits);

std::vector<std::string> Split(std::string_view s, char separator);

// Replaces every non-overlapping occurrence of what, scanning from the start.
std::string ReplaceAll(std::string_view s, std::string_view what, std::string_view with);

// Splits a line into words as a POSIX shell splits them, without expanding
// anything: blanks, tabs and line ends separate words; text between double or
// single quotes stays one piece and the quotes go; pieces that touch form one
// word (a"b c" is "ab c"); "" alone is an empty word. A backslash is an
// ordinary character, so paths written with backslashes arrive unchanged. A
// quote left open runs to the end of the line. The emulator's mode text is
// split so wherever it is read.
std::vector<std::string> SplitWords(std::string_view line);

}  // namespace tavro::text
