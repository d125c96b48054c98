// Records how it was started: its process id on the first line, then each
// argument followed by a NUL byte, into the file $ARGV_DUMP_OUT (written
// whole, then renamed, so a reader never sees half of it).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  const char* out = std::getenv("ARGV_DUMP_OUT");
  if (out == nullptr)
    return 2;
  const std::string part = std::string(out) + ".part";
  {
    std::ofstream file(part, std::ios::binary);
    file << getpid() << '\n';
    for (int i = 0; i < argc; ++i)
      file << argv[i] << '\0';
    if (!file)
      return 3;
  }
  return std::rename(part.c_str(), out) == 0 ? 0 : 4;
}
