#include "runtime/Text.h"

#include <algorithm>

namespace tavro::text {

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= n)
      return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string TrimSpaces(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return {};
  const auto last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

static char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

namespace {
// Where each character starts: at every byte that is no continuation byte;
// a stray one stays with the character before it, so nothing is ever split.
std::vector<std::size_t> CharStarts(std::string_view s) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 || i == 0)
      starts.push_back(i);
  }
  return starts;
}
}  // namespace

std::string NameForBox(std::string_view name) {
  constexpr std::size_t kLongest = 260, kKept = 128;
  const std::vector<std::size_t> starts = CharStarts(name);
  if (starts.size() <= kLongest)
    return std::string(name);
  const std::size_t head_end = starts[kKept], tail_start = starts[starts.size() - kKept];
  return std::string(name.substr(0, head_end)) + "\xE2\x80\xA6" +
         std::string(name.substr(tail_start));
}

namespace {
bool BreaksRun(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The run kept to its first and last characters, kept in all, around an
// ellipsis; starts holds where each of its characters begins.
std::string Middled(std::string_view run, const std::vector<std::size_t>& starts,
                    std::size_t kept) {
  const std::size_t head = (kept + 1) / 2, tail = kept / 2;
  return std::string(run.substr(0, starts[head])) + "\xE2\x80\xA6" +
         std::string(run.substr(tail == 0 ? run.size() : starts[starts.size() - tail]));
}

std::string FitRun(std::string_view run, const std::function<bool(std::string_view)>& fits) {
  if (fits(run))
    return std::string(run);
  const std::vector<std::size_t> starts = CharStarts(run);
  // The most characters kept that still fit: the run itself did not.
  std::size_t low = 0, high = starts.size() - 1;
  while (low < high) {
    const std::size_t mid = (low + high + 1) / 2;
    if (fits(Middled(run, starts, mid)))
      low = mid;
    else
      high = mid - 1;
  }
  return Middled(run, starts, low);
}
}  // namespace

std::string FitRunsForBox(std::string_view text,
                          const std::function<bool(std::string_view run)>& fits) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = i;
    while (end < text.size() && !BreaksRun(text[end]))
      ++end;
    if (end > i)
      out += FitRun(text.substr(i, end - i), fits);
    while (end < text.size() && BreaksRun(text[end]))
      out += text[end++];
    i = end;
  }
  return out;
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

bool MatchMask(std::string_view name, std::string_view mask) {
  // Iterative glob with backtracking to the last star: linear in practice.
  size_t n = 0, m = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    // The star first: a name may hold a "*" of its own on Linux.
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (m < mask.size() && (mask[m] == '?' || LowerAscii(mask[m]) == LowerAscii(name[n]))) {
      ++n;
      ++m;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

std::vector<std::string> SplitPattern(std::string_view pattern) {
  std::vector<std::string> masks;
  for (const auto& mask : Split(pattern, ';')) {
    auto trimmed = TrimSpaces(mask);
    if (!trimmed.empty())
      masks.push_back(std::move(trimmed));
  }
  return masks;
}

bool MatchAnyMask(std::string_view name, const std::vector<std::string>& masks) {
  for (const auto& mask : masks) {
    if (MatchMask(name, mask))
      return true;
  }
  return false;
}

std::vector<std::string> Split(std::string_view s, char separator) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    const auto pos = s.find(separator, start);
    out.emplace_back(s.substr(start, pos - start));
    if (pos == std::string_view::npos)
      break;
    start = pos + 1;
  }
  return out;
}

std::string ReplaceAll(std::string_view s, std::string_view what, std::string_view with) {
  if (what.empty())
    return std::string(s);
  std::string out;
  size_t start = 0;
  while (true) {
    const auto pos = s.find(what, start);
    if (pos == std::string_view::npos)
      break;
    out.append(s.substr(start, pos - start));
    out.append(with);
    start = pos + what.size();
  }
  out.append(s.substr(start));
  return out;
}

namespace {
bool IsWordBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;  // also true for a word made only of quotes ("")
  char quote = 0;
  for (const char c : line) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      in_word = true;
    } else if (IsWordBlank(c)) {
      if (in_word)
        words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word)
    words.push_back(std::move(word));
  return words;
}

}  // namespace tavro::text
