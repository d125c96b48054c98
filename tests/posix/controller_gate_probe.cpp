// The controller service in a process that, as the program, does not link
// SDL: at each line read it asks for the buttons once and answers "loaded"
// when SDL is in the process by then, "absent" when not.
//   controller_gate_probe DEVICE_FOLDER
#include <fstream>
#include <iostream>
#include <string>

#include "runtime/posix/Controllers.h"

namespace {
bool SdlMapped() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("libSDL2") != std::string::npos)
      return true;
  }
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  tavro::Controllers controllers(argv[1]);
  std::string line;
  while (std::getline(std::cin, line)) {
    controllers.Buttons();
    std::cout << (SdlMapped() ? "loaded" : "absent") << std::endl;
  }
  return 0;
}
