#include "runtime/posix/CommandLine.h"

namespace tavro {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;  // also true for a word made only of quotes ("")
  char quote = 0;
  for (const char c : line) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      in_word = true;
    } else if (IsBlank(c)) {
      if (in_word)
        words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word)
    words.push_back(std::move(word));
  return words;
}

std::vector<std::string> EmulatorArguments(const EmulatorCommand& command) {
  std::vector<std::string> args = SplitWords(command.mode_text);
  args.push_back(command.game_path);
  return args;
}

}  // namespace tavro
