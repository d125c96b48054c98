#include "settings/Module_File_ini.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "runtime/Encoding.h"
#include "runtime/FileSystem.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "window/Form1.h"

namespace tavro {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& file) {
  std::ifstream in(FsPath(file), std::ios::binary);
  if (!in)
    return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    return std::nullopt;
  return bytes;
}

// The file's text as UTF-8: as it stands when it is UTF-8, else decoded from
// the legacy code page an older tool wrote it in.
std::string AsUtf8(std::string bytes) {
  if (bytes.starts_with(kBom))
    bytes.erase(0, kBom.size());
  return text::IsValidUtf8(bytes) ? bytes : LegacyToUtf8(bytes);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (line.ends_with('\r'))
      line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The section name of a header line ("[Name]"), or nothing.
std::optional<std::string> SectionOf(const std::string& line) {
  const auto t = text::TrimSpaces(line);
  if (t.size() < 2 || t.front() != '[')
    return std::nullopt;
  const auto close = t.find(']');
  if (close == std::string::npos)
    return std::nullopt;
  return text::TrimSpaces(t.substr(1, close - 1));
}

// The key name of an entry line ("key=value"), or nothing for comments and
// lines without "=".
std::optional<std::string> KeyOf(const std::string& line) {
  const auto t = text::TrimSpaces(line);
  if (t.empty() || t.front() == ';' || t.front() == '#')
    return std::nullopt;
  const auto eq = t.find('=');
  if (eq == std::string::npos)
    return std::nullopt;
  return text::TrimSpaces(t.substr(0, eq));
}

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

// Puts key=value into the lines, as the classic profile writer does.
void Store(std::vector<std::string>& lines, const std::string& section, const std::string& key,
           const std::string& value) {
  const std::string entry = key + "=" + value;
  size_t i = 0;
  while (i < lines.size()) {
    const auto name = SectionOf(lines[i]);
    if (name && text::EqualsNoCase(*name, section))
      break;
    ++i;
  }
  if (i == lines.size()) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
    return;
  }
  size_t last_entry = i;  // the header, until an entry is seen
  for (size_t j = i + 1; j < lines.size() && !SectionOf(lines[j]); ++j) {
    const auto name = KeyOf(lines[j]);
    if (name && text::EqualsNoCase(*name, key)) {
      lines[j] = entry;
      return;
    }
    if (!text::TrimSpaces(lines[j]).empty())
      last_entry = j;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_entry + 1), entry);
}

}  // namespace

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& default_value, const std::string& file) {
  try {
    const auto bytes = ReadBytes(file);
    if (!bytes)
      return default_value;
    const auto content = AsUtf8(*bytes);
    CSimpleIniA ini(/*a_bIsUtf8=*/true, /*a_bMultiKey=*/false, /*a_bMultiLine=*/false);
    if (ini.LoadData(content.data(), content.size()) < 0)
      return default_value;
    const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? text::TrimSpaces(value) : default_value;
  } catch (...) {
    return default_value;
  }
}

Boolean WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file) {
  try {
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value)) {
      return kFalse;  // it could not be read back as written
    }
    std::error_code ec;
    const auto path = FsPath(file);
    std::vector<std::string> lines;
    if (std::filesystem::exists(path, ec)) {
      const auto bytes = ReadBytes(file);
      if (!bytes)
        return kFalse;  // never overwrite what could not be read
      lines = SplitLines(AsUtf8(*bytes));
    }
    Store(lines, section, key, value);
    std::string out;
    for (const auto& line : lines)
      out += line + "\r\n";

    // Write beside it and rename over it, so a failed write leaves the old
    // file whole.
    const auto temp = FsPath(file + ".tmp");
    {
      std::ofstream f(temp, std::ios::binary | std::ios::trunc);
      if (!f)
        return kFalse;
      f.write(out.data(), static_cast<std::streamsize>(out.size()));
      f.close();
      if (!f) {
        std::filesystem::remove(temp, ec);
        return kFalse;
      }
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
      std::error_code ignore;
      std::filesystem::remove(temp, ignore);
      return kFalse;
    }
    return kTrue;
  } catch (...) {
    return kFalse;
  }
}

}  // namespace tavro

namespace tavro {

std::string CoverName(const std::string& file_name) {
  std::string name = text::ReplaceAll(file_name, ".rpx", "");
  name = text::ReplaceAll(name, ".wud", "");
  name = text::ReplaceAll(name, ".wux", "");
  return name + ".jpg";
}

void ShowCoverArt(Form1& form) {
  Services& services = form.Runtime();
  try {
    const std::string path =
        services.AppFolder() + paths::Lit({"Image"}, true) + CoverName(form.File1.FileName());
    if (!services.Dir(path, kAttrNormal).empty())
      form.Picture1.SetPicture(services.LoadPicture(path));
    return;
  } catch (const std::exception&) {
  }
  form.Picture1.SetPicture(form.Picture2.Picture());
}

}  // namespace tavro
