#pragma once
// What may be handed on to the system's own programs: the image name Esc
// ends, and the command line of a batch file run as the emulator. Both are
// decided here, once, and the platforms only carry them out.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/Runtime.h"

namespace tavro {

// The image name Esc and the controller's combination end: the file-name
// part of FileExe alone (the emulator may sit in a subfolder of Emulator\,
// and taskkill matches image names, never paths). None when that name is
// empty or holds a character taskkill would read as more than one name
// (", *, ?, <, > and |: a second image, or every process): then nothing is
// ended.
std::optional<std::string> ImageNameToEnd(std::string_view file_exe);

// True when program names a batch file (.bat or .cmd, in any case), which
// the system runs through the command interpreter.
bool IsBatchFile(std::string_view program);

// The line the command interpreter is given after "/c" to run a batch file
// as the emulator, each name arriving in the script exactly as it stands:
// the script and the game path in double quotes, each word of the mode text
// as it stands when it holds only characters the interpreter leaves alone
// and in double quotes otherwise, and every % made into one the interpreter
// does not expand. The whole is wrapped in one more pair of quotes, which
// the interpreter takes off. A quote or a line break in any of them cannot
// be escaped for the interpreter: then the line is refused, and why says
// why.
struct BatchLine {
  std::string line;  // empty when refused
  std::string why;   // empty unless refused
};
BatchLine BatchCommandLine(const EmulatorCommand& command);

}  // namespace tavro
