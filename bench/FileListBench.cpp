// File1 filled from a folder of 30,000 disc images and 30,000 other files,
// against a bare readdir + pattern loop over the same folder: what the list
// adds (sorting, the model) on top of reading the folder.
//
//   build/linux/bin/tavro_file_list_bench

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/Files.h"
#include "window/Layout.h"
#include "runtime/Text.h"
#include "window/controls/ListBoxes.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Library() {
  static const fs::path folder = [] {
    const fs::path p = fs::temp_directory_path() / "tavro-bench-library";
    if (!fs::exists(p / "done")) {
      fs::remove_all(p);
      fs::create_directories(p);
      for (int i = 0; i < 30000; ++i) {
        const std::string n = std::to_string(i * 7919 % 30011);
        std::ofstream(p / ("Game " + n + (i % 2 ? ".wud" : ".WUX")));
        std::ofstream(p / ("Notes " + n + ".txt"));
      }
      std::ofstream(p / "done");
    }
    return p;
  }();
  return folder;
}

void BareReaddir(benchmark::State& state) {
  const std::string path = Library().string();
  const auto masks = tavro::text::SplitPattern("*.wux;*.wud");
  for (auto _ : state) {
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    while (dirent* e = readdir(dir)) {
      if (e->d_type == DT_REG && tavro::text::MatchAnyMask(e->d_name, masks))
        names.emplace_back(e->d_name);
    }
    closedir(dir);
    benchmark::DoNotOptimize(names.data());
  }
}
BENCHMARK(BareReaddir)->Unit(benchmark::kMillisecond);

void FileListBox(benchmark::State& state) {
  const std::string path = Library().string();
  tavro::FileListBox files(tavro::Form1Control("File1"));
  for (auto _ : state) {
    files.SetPath(path);
    benchmark::DoNotOptimize(files.List().data());
  }
  if (files.List().size() != 30000)
    state.SkipWithError("the list does not hold the 30,000 disc images");
}
BENCHMARK(FileListBox)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
