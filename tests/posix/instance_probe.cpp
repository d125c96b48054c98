// A second program for the tests that need more than one process.
//   instance_probe lock NAME   waits for a line, asks PreviousInstance twice,
//                              prints both answers (0/1) and AppFolder, then
//                              holds the lock until its input ends.
//   instance_probe kill NAME   kills by image name NAME, then prints "alive".
//   instance_probe end         prints "before" without a line end and calls
//                              End() while an object waits to be destroyed.
// A RuntimeError from the services (no folder of its own) is printed as
// "RuntimeError: TEXT" and ends the probe with 3.
#include <cstdio>
#include <iostream>
#include <string>

#include "ProbeServices.h"

namespace {
struct SaysGoodbye {
  ~SaysGoodbye() { std::printf("destructor\n"); }
};
}  // namespace

namespace {
int Probe(int argc, char** argv) {
  if (argc < 2)
    return 2;
  const std::string mode = argv[1];
  tavro::PosixOptions options;
  if (mode == "lock" && argc == 3) {
    options.instance_name = argv[2];
    tavro::test::ProbeServices services(options);
    std::string line;
    std::getline(std::cin, line);
    const bool first = services.PreviousInstance();
    const bool second = services.PreviousInstance();
    std::cout << first << second << ' ' << services.AppFolder() << std::endl;
    while (std::getline(std::cin, line)) {
    }
    return 0;
  }
  if (mode == "kill" && argc == 3) {
    tavro::test::ProbeServices services(options);
    services.KillByImageName(argv[2]);
    std::cout << "alive" << std::endl;
    return 0;
  }
  if (mode == "end") {
    tavro::test::ProbeServices services(options);
    SaysGoodbye goodbye;
    std::printf("before");
    services.End();
  }
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  try {
    return Probe(argc, argv);
  } catch (const tavro::RuntimeError& error) {
    std::cout << "RuntimeError: " << error.what() << std::endl;
    return 3;
  }
}
