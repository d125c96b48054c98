#include "runtime/posix/CommandLine.h"

namespace tavro {

std::vector<std::string> EmulatorArguments(const EmulatorCommand& command) {
  std::vector<std::string> args = SplitWords(command.mode_text);
  args.push_back(command.game_path);
  return args;
}

}  // namespace tavro
