#include "runtime/Runtime.h"

namespace tavro {

std::string EmulatorCommand::CommandLine() const {
  // Unquoted, a program path with a blank would reach the emulator as
  // several words of its own command line.
  const bool quote = program.find(' ') != std::string::npos;
  std::string line;
  line.reserve(program.size() + mode_text.size() + game_path.size() + 6);
  if (quote)
    line += '"';
  line += program;
  if (quote)
    line += '"';
  line += ' ';
  line += mode_text;
  line += ' ';
  line += '"';
  line += game_path;
  line += '"';
  return line;
}

}  // namespace tavro
