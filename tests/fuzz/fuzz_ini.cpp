// The settings file: any bytes read without harm, and a value written reads
// back as written while every other entry reads as before.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzCheck.h"
#include "runtime/Files.h"
#include "runtime/Text.h"
#include "settings/Module_File_ini.h"

namespace {

const char* const kSections[] = {"EmulatorConfig", "TavroFrontEndCnfig", "Other"};
const char* const kKeys[] = {"FileExe", "WinMode", "FullMode", "DirRpx", "DirWudWux"};

std::string Path() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("tavro-fuzz-" + std::to_string(getpid()) + ".ini"))
          .string();
  return path;
}

// What a written value reads back as: blanks at its ends go, and a value in
// matching quotes loses them, as the platform's profile functions do.
std::string AsRead(std::string v) {
  auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
  };
  while (!v.empty() && blank(v.front()))
    v.erase(v.begin());
  while (!v.empty() && blank(v.back()))
    v.pop_back();
  v = v.substr(0, v.find('\0'));  // a C string, as the platform hands it over
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  using tavro::ReadIniValue, tavro::WriteIniValue;
  // The first byte picks the entry written and splits file from value.
  if (size < 1)
    return 0;
  const unsigned pick = data[0];
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto cut = rest.size() / 2 + (pick % 7);
  const std::string file_bytes = rest.substr(0, std::min(cut, rest.size()));
  const std::string value = cut < rest.size() ? rest.substr(cut) : std::string();
  {
    std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
    out << file_bytes;
  }
  std::string before[3][5];
  for (int s = 0; s < 3; ++s) {
    for (int k = 0; k < 5; ++k)
      before[s][k] = ReadIniValue(kSections[s], kKeys[k],
                                  "\x01"
                                  "default",
                                  Path());
  }
  const int ws = static_cast<int>(pick % 3), wk = static_cast<int>((pick / 3) % 5);
  // A file (or value) that is not UTF-8 is read in the legacy code page and
  // written back as UTF-8, so only UTF-8 keeps every entry's meaning word
  // for word; the write must still never crash nor leave a broken file.
  const bool utf8 = tavro::text::IsValidUtf8(file_bytes) && tavro::text::IsValidUtf8(value) &&
                    file_bytes.rfind("\xFF\xFE", 0) != 0 && file_bytes.rfind("\xFE\xFF", 0) != 0;
  if (WriteIniValue(kSections[ws], kKeys[wk], value, Path())) {
    FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
    for (int s = 0; s < 3 && utf8; ++s) {
      for (int k = 0; k < 5; ++k) {
        const std::string now = ReadIniValue(kSections[s], kKeys[k],
                                             "\x01"
                                             "default",
                                             Path());
        FUZZ_CHECK(now == (s == ws && k == wk ? AsRead(value) : before[s][k]));
      }
    }
  } else {
    FUZZ_CHECK(value.find_first_of("\r\n") != std::string::npos);
  }
  std::filesystem::remove(Path());
  return 0;
}
