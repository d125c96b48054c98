#include "settings/Module_File_ini.h"

#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/Encoding.h"
#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "settings/SettingsPaths.h"

// The settings file is read and written the way the platform's profile
// functions read it, line by line, so that a file the user wrote by hand
// means the same here as there: the first section of a name counts, the first
// key of a name within it, blanks and tabs around names and values go, and a
// value in matching quotes loses them. Reader and writer share the one
// parser below, so what one finds the other changes.

namespace tavro {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The whole file, or nothing when it cannot be read or is no ordinary file
// (a FIFO, a device: never waited for, never read without end).
std::optional<std::string> ReadBytes(const std::string& file) {
  try {
    return ReadOrdinaryFile(file, kMaxSettingsBytes);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// UTF-16 (after its byte-order mark) as UTF-8; a lone surrogate becomes
// U+FFFD, as the platform's conversion does.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return big_endian ? (a << 8 | b) : (b << 8 | a);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        c = 0xFFFD;
      }
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    text::AppendUtf8(out, c);
  }
  return out;
}

// Blanks as the profile functions see them; Ctrl-Z is one (old editors end
// files with it).
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// Lines end at CR, LF or any run of them.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", pos);
    if (stop == std::string::npos)
      stop = text.size();
    lines.emplace_back(text, pos, stop - pos);
    pos = stop;
    // One line end: CR LF, or a single CR or LF; further ones make blank
    // lines, which the writer keeps.
    if (pos < text.size() && text[pos] == '\r')
      ++pos;
    if (pos < text.size() && text[pos] == '\n')
      ++pos;
  }
  return lines;
}

// What one line of the file is.
struct Line {
  enum Kind { kBlank, kSection, kEntry } kind = kBlank;
  std::string_view name;   // the section's or the key's name
  bool has_value = false;  // an entry with "=" (one without gives the default)
  std::string_view value;  // blanks taken off both ends
};

Line Parse(std::string_view raw) {
  const std::string_view line = Trim(raw);
  if (line.empty())
    return {};
  if (line.front() == '[') {
    // The name runs to the last "]" of the line, without blanks around it.
    const auto close = line.rfind(']');
    if (close != std::string_view::npos && close > 0)
      return {Line::kSection, Trim(line.substr(1, close - 1)), false, {}};
  }
  const auto eq = line.find('=');
  if (eq == std::string_view::npos)
    return {Line::kEntry, line, false, {}};
  // The profile functions take the blanks off the line, then hand the value
  // over as a C string: it ends at a NUL (blanks before it stay), and only
  // what is left may lose its quotes.
  const std::string_view value = Trim(line.substr(eq + 1));
  return {Line::kEntry, Trim(line.substr(0, eq)), true, value.substr(0, value.find('\0'))};
}

// The index of the first header of section, or lines.size().
std::size_t FindSection(const std::vector<std::string>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line l = Parse(lines[i]);
    if (l.kind == Line::kSection && text::EqualsNoCase(l.name, section))
      return i;
  }
  return lines.size();
}

// The index of the first entry of key in the section whose header is at
// header, or nothing; only that one section is searched.
std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, std::size_t header,
                                   std::string_view key) {
  for (std::size_t j = header + 1; j < lines.size(); ++j) {
    const Line l = Parse(lines[j]);
    if (l.kind == Line::kSection)
      break;
    if (l.kind == Line::kEntry && text::EqualsNoCase(l.name, key))
      return j;
  }
  return std::nullopt;
}

// A value in matching double or single quotes is read without them.
std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

// Puts key=value into the lines, as the classic profile writer does: the
// first entry of the key in the first section of the name is replaced, a new
// key goes after the section's last entry, a new section at the end.
void Store(std::vector<std::string>& lines, const std::string& section, const std::string& key,
           const std::string& value) {
  const std::string entry = key + "=" + value;
  const std::size_t header = FindSection(lines, section);
  if (header == lines.size()) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
    return;
  }
  if (const auto found = FindKey(lines, header, key)) {
    lines[*found] = entry;
    return;
  }
  std::size_t last_entry = header;  // the header, until an entry is seen
  for (std::size_t j = header + 1; j < lines.size(); ++j) {
    const Line l = Parse(lines[j]);
    if (l.kind == Line::kSection)
      break;
    if (l.kind != Line::kBlank)
      last_entry = j;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_entry + 1), entry);
}

// The indices of the lines whose values a look-up of DirRpx and DirWudWux
// can reach: the first entry of each in the first section of the front
// end's name. No other line's value is ever read.
std::vector<std::size_t> ReachablePathLines(const std::vector<std::string>& lines) {
  std::vector<std::size_t> found;
  bool in_first = false, seen_rpx = false, seen_wud = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line l = Parse(lines[i]);
    if (l.kind == Line::kSection) {
      if (in_first)
        break;  // the first section of the name has ended
      in_first = text::EqualsNoCase(l.name, settings::kFrontEndSection);
      continue;
    }
    if (!in_first || l.kind != Line::kEntry)
      continue;
    bool* seen = text::EqualsNoCase(l.name, "DirRpx")      ? &seen_rpx
                 : text::EqualsNoCase(l.name, "DirWudWux") ? &seen_wud
                                                           : nullptr;
    if (seen == nullptr || *seen)
      continue;
    *seen = true;
    if (l.has_value)
      found.push_back(i);
  }
  return found;
}

// The file's lines as UTF-8: UTF-16 with a byte-order mark (Notepad's
// "Unicode") decoded, UTF-8 as it stands, anything else from the legacy code
// page an older tool wrote it in. Except that a folder's value is taken as
// its bytes, where paths are bytes, when those bytes name an entry: the
// program's own folder need not be UTF-8 on Linux, and its name must come
// back as written. Such a line then has no say in how the rest is read. Only
// the lines a look-up can reach are looked for on disk: a file of a million
// folder lines costs two looks, not a million.
std::vector<std::string> DecodeLines(std::string bytes, const std::string& folder) {
  if (bytes.starts_with("\xFF\xFE"))
    return SplitLines(Utf16ToUtf8(std::string_view(bytes).substr(2), false));
  if (bytes.starts_with("\xFE\xFF"))
    return SplitLines(Utf16ToUtf8(std::string_view(bytes).substr(2), true));
  if (bytes.starts_with(kUtf8Bom))
    bytes.erase(0, kUtf8Bom.size());
  if (text::IsValidUtf8(bytes))
    return SplitLines(bytes);
  std::vector<std::string> lines = SplitLines(bytes);
  std::vector<bool> as_bytes(lines.size(), false);
  bool any_as_bytes = false;
  if (paths::kPathsAreBytes) {
    for (const std::size_t i : ReachablePathLines(lines)) {
      try {
        const std::string value = Unquote(Parse(lines[i]).value);
        as_bytes[i] = !value.empty() && Exists(settings::FolderValue(value, folder));
      } catch (const std::exception&) {
        // A folder on the way that may not be looked into: read as text.
      }
      any_as_bytes = any_as_bytes || as_bytes[i];
    }
  }
  if (!any_as_bytes)
    return SplitLines(LegacyToUtf8(bytes));  // the whole file, as it always was
  bool rest_utf8 = true;
  for (std::size_t i = 0; i < lines.size() && rest_utf8; ++i)
    rest_utf8 = as_bytes[i] || text::IsValidUtf8(lines[i]);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!as_bytes[i] && !rest_utf8)
      lines[i] = LegacyToUtf8(lines[i]);
  }
  return lines;
}

// The folder a file sits in, as text: what comes before its last separator.
std::string FolderOf(const std::string& file) {
  const auto cut = file.find_last_of(paths::kDriveLetters ? "\\/" : "/");
  return cut == std::string::npos ? std::string() : file.substr(0, cut);
}

}  // namespace

IniDocument IniDocument::FromBytes(std::string bytes, const std::string& folder) {
  IniDocument doc;
  doc.lines_ = DecodeLines(std::move(bytes), folder);
  return doc;
}

std::optional<IniDocument> IniDocument::Load(const std::string& file) {
  try {
    auto bytes = ReadBytes(file);
    if (!bytes)
      return std::nullopt;
    return FromBytes(std::move(*bytes), FolderOf(file));
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const std::size_t header = FindSection(lines_, Trim(section));
  if (header == lines_.size())
    return std::nullopt;
  const auto found = FindKey(lines_, header, Trim(key));
  if (!found)
    return std::nullopt;
  const Line l = Parse(lines_[*found]);
  if (!l.has_value)
    return std::nullopt;
  return Unquote(l.value);
}

bool IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
  if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
      HasLineBreak(value)) {
    return false;
  }
  Store(lines_, section, key, value);
  return true;
}

std::string IniDocument::Bytes() const {
  std::size_t size = 0;
  for (const auto& line : lines_)
    size += line.size() + 2;
  std::string out;
  out.reserve(size);
  for (const auto& line : lines_)
    out.append(line).append("\r\n");
  return out;
}

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& default_value, const std::string& file) {
  try {
    const auto doc = IniDocument::Load(file);
    return doc ? doc->Get(section, key, default_value) : default_value;
  } catch (...) {
    return default_value;
  }
}

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
  try {
    IniDocument doc;
    if (Exists(file)) {
      auto loaded = IniDocument::Load(file);
      if (!loaded)
        return false;  // never overwrite what could not be read
      doc = std::move(*loaded);
    }
    if (!doc.Set(section, key, value))
      return false;  // it could not be read back as written
    // A failed write leaves the old file whole; a link is replaced, never
    // written through.
    ReplaceByName(file, doc.Bytes());
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace tavro
