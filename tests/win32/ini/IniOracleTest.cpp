// Thousands of generated settings files, each read through ReadIniValue and
// through GetPrivateProfileStringW: every answer must agree. The files hold
// what hand-edited settings files hold: sections and keys in any case, blanks
// and tabs around names and values, comments, blank lines, duplicate
// sections and keys, quotes, long lines, CR LF / LF / CR line ends, and
// UTF-16 (Notepad's "Unicode") or UTF-8 with a byte-order mark.
//
// Not generated, because they are deliberate differences the README lists:
// non-ASCII text in a file without a byte-order mark (we read UTF-8 where
// the platform reads the ANSI code page).

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "runtime/Files.h"
#include "settings/Module_File_ini.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;

std::wstring Wide(const std::string& s) {
  std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, s.data(),
                                                           static_cast<int>(s.size()), nullptr, 0)),
                   L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(),
                      static_cast<int>(out.size()));
  return out;
}

std::string Narrow(const std::wstring& s) {
  std::string out(
      static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()),
                                              nullptr, 0, nullptr, nullptr)),
      '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(),
                      static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

const std::vector<std::string> kSections = {"EmulatorConfig", "TavroFrontEndCnfig", "Other",
                                            "Emulator Config"};
const std::vector<std::string> kKeys = {"FileExe", "WinMode", "DirRpx", "X"};

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  // One file's text (UTF-8) and whether it may hold non-ASCII text.
  std::string File(bool unicode) {
    std::string out;
    const int lines = Pick(1, 14);
    for (int i = 0; i < lines; ++i)
      out += Line(unicode) + LineEnd();
    if (Chance(20))
      out += Line(unicode);  // the last line without an end
    return out;
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Pick(1, 100) <= percent; }
  template <typename T>
  const T& OneOf(const std::vector<T>& v) {
    return v[static_cast<size_t>(Pick(0, static_cast<int>(v.size()) - 1))];
  }
  std::string Blanks() {
    static const std::vector<std::string> kBlanks = {"", "", "", " ", "  ", "\t", " \t "};
    return OneOf(kBlanks);
  }
  std::string AnyCase(const std::string& s) {
    std::string out = s;
    const int how = Pick(0, 3);
    for (auto& c : out) {
      if (how == 1)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      else if (how == 2)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
  }
  std::string Value(bool unicode) {
    static const std::vector<std::string> kPlain = {
        "Cemu.exe", "-f -g", "", "D:\\My Games\\RPX", "a=b", "x;y", "#not a comment", "[x]"};
    static const std::vector<std::string> kUnicode = {"D:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0",
                                                      "Jeu \xC3\xA9t\xC3\xA9",
                                                      "\xF0\x9F\x8E\xAE Spiel"};
    std::string v = unicode && Chance(30) ? OneOf(kUnicode) : OneOf(kPlain);
    switch (Pick(0, 11)) {
      case 0:
        v = "\"" + v + "\"";
        break;
      case 1:
        v = "'" + v + "'";
        break;
      case 2:
        v = "\"" + v;  // one quote alone
        break;
      case 3:
        v = "\"" + v + "'";  // quotes that do not match
        break;
      case 4:
        v = std::string(static_cast<size_t>(Pick(250, 1200)), 'L');
        break;
      case 5:
        v = "\" " + v + " \"";  // blanks inside the quotes stay
        break;
      case 6:
        v = v + std::string(1, '\0') + "junk";  // a NUL: the value ends there
        break;
      case 7:
        v = "\"" + v + " " + std::string(1, '\0') + "x\"";  // a NUL inside quotes
        break;
      default:
        break;
    }
    return v;
  }
  std::string Line(bool unicode) {
    switch (Pick(0, 11)) {
      case 0:
      case 1:
      case 2: {
        std::string name = AnyCase(OneOf(kSections));
        if (Chance(15))
          name = Blanks() + name + Blanks();  // blanks inside the brackets
        std::string line = Blanks() + "[" + name + "]" + Blanks();
        if (Chance(10))
          line += "; trailing words";
        return line;
      }
      case 3:
        return Blanks() + OneOf(std::vector<std::string>{";", "#", "//"}) + " a comment=1";
      case 4:
        return Blanks();
      case 5:
        return OneOf(
            std::vector<std::string>{"[broken", "]odd", "no equals sign", "=only", "[a]b]"});
      case 6:
        return Blanks() + AnyCase(OneOf(kKeys)) + Blanks();  // a key without "="
      default:
        return Blanks() + AnyCase(OneOf(kKeys)) + Blanks() + "=" + Blanks() + Value(unicode) +
               Blanks();
    }
  }
  std::string LineEnd() {
    static const std::vector<std::string> kEnds = {"\r\n", "\r\n", "\n", "\r", "\r\n\r\n"};
    return OneOf(kEnds);
  }
  std::mt19937 rng_;
};

std::string Utf16Le(const std::string& utf8) {
  const std::wstring w = Wide(utf8);
  std::string out = "\xFF\xFE";
  for (wchar_t c : w) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

TEST(IniOracle, ReadsEveryGeneratedFileAsThePlatformDoes) {
  const fs::path folder = fs::temp_directory_path() / "tavro ini oracle";
  fs::remove_all(folder);
  fs::create_directories(folder);
  Generator gen(20261207);
  int compared = 0, differences = 0;
  constexpr int kFiles = 3000;
  for (int n = 0; n < kFiles; ++n) {
    // UTF-16 with a byte-order mark, UTF-8 with one, or plain ASCII.
    const int kind = n % 10;
    const bool unicode = kind >= 7;
    const std::string text = gen.File(unicode);
    std::string bytes;
    if (kind == 7 || kind == 8)
      bytes = Utf16Le(text);
    else if (kind == 9)
      bytes = "\xEF\xBB\xBF" + text;
    else
      bytes = text;
    // A new name each time: the platform caches what it read by file.
    const fs::path file = folder / ("s" + std::to_string(n) + ".ini");
    {
      std::ofstream out(file, std::ios::binary);
      out << bytes;
    }
    for (const auto& section : kSections) {
      for (const auto& key : kKeys) {
        std::wstring buffer(65536, L'\0');
        const DWORD got = GetPrivateProfileStringW(
            Wide(section).c_str(), Wide(key).c_str(), L"DEFAULT", buffer.data(),
            static_cast<DWORD>(buffer.size()), file.wstring().c_str());
        buffer.resize(got);
        const std::string theirs = Narrow(buffer);
        const std::string ours = ReadIniValue(section, key, "DEFAULT", Utf8(file));
        ++compared;
        if (ours != theirs) {
          ++differences;
          if (differences <= 15) {
            ADD_FAILURE() << "file " << n << " [" << section << "] " << key << "\n  ours:   '"
                          << ours << "'\n  theirs: '" << theirs << "'\n  text:\n"
                          << text;
          }
        }
      }
    }
    fs::remove(file);
  }
  fs::remove_all(folder);
  EXPECT_EQ(differences, 0) << "of " << compared << " look-ups";
  EXPECT_EQ(compared, kFiles * 16);
}

}  // namespace
}  // namespace tavro
