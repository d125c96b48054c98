// The settings file's slow paths, against the same work on a plain file:
//   - a 15.6 MB settings file of 650,000 folder lines that is not UTF-8,
//     against a one-line file of the same size: the whole start's reading
//     of the settings (ReadSettings), which must stay within 2x;
//   - DiscPattern with 50,000 and 100,000 masks, which must grow linearly.
//
//   build/linux/bin/tavro_settings_bench [runs]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MedianTime.h"
#include "runtime/Files.h"
#include "settings/DiscPattern.h"
#include "settings/Module_Load.h"

namespace {

namespace fs = std::filesystem;
using tavro::bench::MedianMs;

// A program folder whose settings file holds body after the usual entries.
fs::path Folder(const char* name, const std::string& body) {
  const fs::path app = fs::temp_directory_path() / name;
  fs::remove_all(app);
  fs::create_directories(app / "Game" / "WUD_WUX");
  std::ofstream(app / "Tavro_FrontEnd.ini", std::ios::binary)
      << "[EmulatorConfig]\r\nFileExe=Cemu.exe\r\n[TavroFrontEndCnfig]\r\n"
      << body;
  return app;
}

double ReadMs(const fs::path& app, int runs) {
  const std::string folder = tavro::Utf8(app);
  return MedianMs(runs, [&] {
    if (!tavro::ReadSettings(folder))
      std::abort();
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  // 650,000 lines of 24 bytes (15.6 MB), Latin-1 (not UTF-8), each naming a folder.
  std::string many;
  for (int i = 0; i < 650000; ++i)
    many += "DirRpx=/no/such/ca\xE9" + std::to_string(100 + i % 900) + "\r\n";
  const std::string one = "; " + std::string(many.size() - 4, '\xE9') + "\r\n";
  const double many_ms = ReadMs(Folder("tavro-bench-many-lines", many), runs);
  const double one_ms = ReadMs(Folder("tavro-bench-one-line", one), runs);
  std::printf(
      "settings file of %.1f MB, not UTF-8: 650,000 lines %.1f ms, one line %.1f ms: "
      "%.2fx\n",
      static_cast<double>(many.size()) / 1e6, many_ms, one_ms, many_ms / one_ms);

  for (const int count : {50000, 100000}) {
    std::string value;
    for (int i = 0; i < count; ++i)
      value += (i ? ";\t*.x" : "*.x") + std::to_string(i);
    const double ms = MedianMs(runs, [&] {
      if (tavro::ParseDiscPattern(value).extensions.size() != static_cast<size_t>(count))
        std::abort();
    });
    std::printf("DiscPattern of %d masks: %.1f ms\n", count, ms);
  }
  for (const char* name : {"tavro-bench-many-lines", "tavro-bench-one-line"})
    fs::remove_all(fs::temp_directory_path() / name);
  return 0;
}
