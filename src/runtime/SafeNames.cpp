#include "runtime/SafeNames.h"

#include <algorithm>
#include <cctype>

namespace tavro {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size())
    return false;
  return std::equal(tail.begin(), tail.end(), text.end() - static_cast<long>(tail.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

// ASCII the interpreter takes as part of a word, outside quotes too. Blanks,
// , ; = (which split a batch file's arguments), & | < > ( ) ^ ! % and " are
// not among them.
bool PlainAscii(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) != 0 ||
         std::string_view("#$*+-./:?@\\_").find(c) != std::string_view::npos;
}

bool Plain(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x80 || PlainAscii(c);
  });
}

// The interpreter expands %NAME% inside quotes too. "%%cd:~,%" reads as a
// % that starts no name, then the current folder cut down to nothing (which
// needs command extensions, /e:ON): what arrives is the one %.
void AppendUnexpanded(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '%')
      out += "%%cd:~,";
    out += c;
  }
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  AppendUnexpanded(out, text);
  out += '"';
}

}  // namespace

std::optional<std::string> ImageNameToEnd(std::string_view file_exe) {
  const auto slash = file_exe.find_last_of("\\/");
  const std::string_view name =
      slash == std::string_view::npos ? file_exe : file_exe.substr(slash + 1);
  if (name.empty() || name.find_first_of("\"*?<>|") != std::string_view::npos)
    return std::nullopt;
  return std::string(name);
}

bool IsBatchFile(std::string_view program) {
  return EndsWithNoCase(program, ".bat") || EndsWithNoCase(program, ".cmd");
}

BatchLine BatchCommandLine(const EmulatorCommand& command) {
  const struct {
    std::string_view text;
    const char* what;
  } pieces[] = {{command.program, "the emulator's path"},
                {command.mode_text, "the mode text"},
                {command.game_path, "the game's path"}};
  for (const auto& piece : pieces) {
    if (piece.text.find('"') != std::string_view::npos)
      return {{}, std::string(piece.what) + " holds a \" a batch file cannot be given"};
    if (piece.text.find_first_of("\r\n") != std::string_view::npos)
      return {{}, std::string(piece.what) + " holds a line break a batch file cannot be given"};
  }
  std::string line = "\"";
  AppendQuoted(line, command.program);
  // The mode text's words, split at blanks as the script splits them.
  std::string_view rest = command.mode_text;
  while (!rest.empty()) {
    const auto start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos)
      break;
    rest.remove_prefix(start);
    const auto end = std::min(rest.find_first_of(" \t"), rest.size());
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    line += ' ';
    if (Plain(word))
      line += word;
    else
      AppendQuoted(line, word);
  }
  line += ' ';
  AppendQuoted(line, command.game_path);
  line += '"';
  return {line, {}};
}

}  // namespace tavro
