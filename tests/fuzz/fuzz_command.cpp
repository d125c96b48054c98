// The emulator's command: the one Windows command line, taken apart again by
// the rules the C runtime uses for argv, gives back the program, the words of
// the mode text and the game path unchanged; on Linux the argument vector is
// those pieces by construction, and the mode text's split never fails.

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "runtime/Runtime.h"
#include "runtime/posix/CommandLine.h"

namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

// argv as the Windows C runtime reads a command line, for lines without
// quotes inside their pieces: the first word up to its closing quote or
// blank, then words separated by blanks, a quoted word kept whole.
std::vector<std::string> WindowsArgv(const std::string& line) {
  std::vector<std::string> argv;
  size_t i = 0;
  std::string word;
  if (i < line.size() && line[i] == '"') {
    const auto close = line.find('"', i + 1);
    word = line.substr(i + 1, close - i - 1);
    i = close == std::string::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !Blank(line[i]))
      word += line[i++];
  }
  argv.push_back(word);
  while (true) {
    while (i < line.size() && Blank(line[i]))
      ++i;
    if (i >= line.size())
      break;
    word.clear();
    bool quoted = false;
    while (i < line.size() && (quoted || !Blank(line[i]))) {
      if (line[i] == '"')
        quoted = !quoted;
      else
        word += line[i];
      ++i;
    }
    argv.push_back(word);
  }
  return argv;
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> out;
  std::string word;
  for (char c : s) {
    if (Blank(c)) {
      if (!word.empty())
        out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty())
    out.push_back(word);
  return out;
}

bool Plain(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 32 || c == '"')
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const auto a = in.find('\0');
  const auto b = a == std::string::npos ? a : in.find('\0', a + 1);
  if (b == std::string::npos)
    return 0;
  tavro::EmulatorCommand command{in.substr(0, a), in.substr(a + 1, b - a - 1), in.substr(b + 1)};
  const std::string line = command.CommandLine();
  FUZZ_CHECK(line.size() == command.program.size() + command.mode_text.size() +
                                command.game_path.size() + 4 +
                                (command.program.find(' ') != std::string::npos ? 2 : 0));
  // Any mode text splits into words without failing; the game path follows
  // them whole, whatever it holds.
  const auto args = tavro::EmulatorArguments(command);
  FUZZ_CHECK(args.size() == tavro::SplitWords(command.mode_text).size() + 1);
  FUZZ_CHECK(args.back() == command.game_path);

  // Windows names hold no control characters and no quotes, and a game's
  // path ends in its file's name, never in a backslash.
  if (!command.program.empty() && Plain(command.program) && Plain(command.mode_text) &&
      command.mode_text.find('\\') == std::string::npos && Plain(command.game_path) &&
      !command.game_path.ends_with('\\') && !Blank(command.program.front())) {
    const auto argv = WindowsArgv(line);
    std::vector<std::string> want{command.program};
    for (const auto& w : Words(command.mode_text))
      want.push_back(w);
    want.push_back(command.game_path);
    FUZZ_CHECK(argv == want);
  }
  return 0;
}
