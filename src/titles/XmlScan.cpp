// The walk through a document that rapidxml would make, without building
// anything. rapidxml recurses once per level of nesting and the input decides
// how deep; a bound that only approximates its reading (a quote taken as the
// start of a value where rapidxml takes it as part of a name) can be led past
// any depth. So this counts the depth exactly as the parser tokenizes, with
// its own character tables and the flags ParseXml gives it (parse_default),
// and stops where it would throw: nothing after that point is ever parsed.

#include <algorithm>
#include <cstdint>

#include "titles/XmlDocument.h"

namespace tavro::titles {

namespace {

using Tables = rapidxml::internal::lookup_tables<0>;
using Table = unsigned char[256];

// Past this a numeric character reference is no character; the value stops
// growing here, so no count of digits can wrap it round to a real one.
constexpr std::uint64_t kLastCodePoint = 0x10FFFF;

class Scanner {
 public:
  Scanner(std::string_view bytes, std::size_t max_depth) : bytes_(bytes), max_depth_(max_depth) {}

  XmlScan Run() {
    if (At(0) == 0xEF && At(1) == 0xBB && At(2) == 0xBF)
      p_ = 3;
    std::size_t depth = 0;
    while (true) {
      Skip(Tables::lookup_whitespace);
      const unsigned char c = At(p_);
      if (depth == 0) {
        // The document's own children; a NUL here is its end.
        if (c == 0) {
          scan_.parses = true;
          return scan_;
        }
        if (c != '<')
          return scan_;
        ++p_;
      } else if (c == '<' && At(p_ + 1) == '/') {
        // A closing tag: any name (closing tags are not checked), blanks, ">".
        p_ += 2;
        Skip(Tables::lookup_node_name);
        Skip(Tables::lookup_whitespace);
        if (At(p_) != '>')
          return scan_;
        ++p_;
        --depth;
        continue;
      } else if (c == '<') {
        ++p_;
      } else if (c == 0) {
        return scan_;  // the end inside an element
      } else {
        // Text runs to the next "<" or NUL, read by the next turn (the
        // parser skips no blanks there, and there are none to skip).
        if (!Expand(Tables::lookup_text))
          return scan_;
        continue;
      }
      const Node node = ReadNode();
      if (node == Node::kFailed)
        return scan_;
      if (node == Node::kElement || node == Node::kOpened) {
        scan_.depth = std::max(scan_.depth, depth + 1);
        if (scan_.depth > max_depth_)
          return scan_;  // deeper than allowed: nothing more matters
      }
      if (node == Node::kOpened)
        ++depth;
    }
  }

 private:
  enum class Node { kFailed, kSkipped, kElement, kOpened };

  // The parser reads a zero-terminated copy: past the end is its zero.
  unsigned char At(std::size_t i) const {
    return i < bytes_.size() ? static_cast<unsigned char>(bytes_[i]) : 0;
  }
  bool Is(std::size_t i, std::string_view text) const {
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (At(i + k) != static_cast<unsigned char>(text[k]))
        return false;
    }
    return true;
  }
  void Skip(const Table& table) {
    while (table[At(p_)] != 0)
      ++p_;
  }
  // Past the next end, as comments, CDATA, declarations and processing
  // instructions are skipped; false at the zero (the parser throws there).
  bool SkipPast(std::string_view end) {
    while (!Is(p_, end)) {
      if (At(p_) == 0)
        return false;
      ++p_;
    }
    p_ += end.size();
    return true;
  }

  // What follows a "<" (parse_node).
  Node ReadNode() {
    if (At(p_) == '?') {
      ++p_;
      // The declaration and any other instruction: both skipped to "?>".
      if ((At(p_) | 0x20) == 'x' && (At(p_ + 1) | 0x20) == 'm' && (At(p_ + 2) | 0x20) == 'l' &&
          Tables::lookup_whitespace[At(p_ + 3)] != 0) {
        p_ += 4;
      }
      return SkipPast("?>") ? Node::kSkipped : Node::kFailed;
    }
    if (At(p_) != '!')
      return ReadElement();
    if (Is(p_ + 1, "--")) {
      p_ += 3;
      return SkipPast("-->") ? Node::kSkipped : Node::kFailed;
    }
    if (Is(p_ + 1, "[CDATA[")) {
      p_ += 8;
      return SkipPast("]]>") ? Node::kSkipped : Node::kFailed;
    }
    if (Is(p_ + 1, "DOCTYPE") && Tables::lookup_whitespace[At(p_ + 8)] != 0) {
      p_ += 9;
      return SkipDoctype() ? Node::kSkipped : Node::kFailed;
    }
    // Any other "<!": to the next ">".
    ++p_;
    while (At(p_) != '>') {
      if (At(p_) == 0)
        return Node::kFailed;
      ++p_;
    }
    ++p_;
    return Node::kSkipped;
  }

  // To the next ">" outside brackets, each "[" matched by counting.
  bool SkipDoctype() {
    while (At(p_) != '>') {
      if (At(p_) == 0)
        return false;
      if (At(p_++) != '[')
        continue;
      for (std::size_t brackets = 1; brackets > 0; ++p_) {
        if (At(p_) == '[')
          ++brackets;
        else if (At(p_) == ']')
          --brackets;
        else if (At(p_) == 0)
          return false;
      }
    }
    ++p_;
    return true;
  }

  // An element's name, its attributes, then "/>" or ">" (parse_element).
  Node ReadElement() {
    const std::size_t name = p_;
    Skip(Tables::lookup_node_name);
    if (p_ == name)
      return Node::kFailed;
    Skip(Tables::lookup_whitespace);
    if (!ReadAttributes())
      return Node::kFailed;
    if (At(p_) == '>') {
      ++p_;
      return Node::kOpened;
    }
    if (At(p_) != '/' || At(p_ + 1) != '>')
      return Node::kFailed;
    p_ += 2;
    return Node::kElement;
  }

  // parse_node_attributes: name, blanks, "=", blanks, a quoted value.
  bool ReadAttributes() {
    while (Tables::lookup_attribute_name[At(p_)] != 0) {
      ++p_;
      Skip(Tables::lookup_attribute_name);
      Skip(Tables::lookup_whitespace);
      if (At(p_) != '=')
        return false;
      ++p_;
      Skip(Tables::lookup_whitespace);
      const unsigned char quote = At(p_);
      if (quote != '\'' && quote != '"')
        return false;
      ++p_;
      if (!Expand(quote == '\'' ? Tables::lookup_attribute_data_1
                                : Tables::lookup_attribute_data_2) ||
          At(p_) != quote) {
        return false;
      }
      ++p_;
      Skip(Tables::lookup_whitespace);
    }
    return true;
  }

  // Text or a value up to the first character the table stops at, its
  // references read left to right as the parser expands them; false where
  // a numeric reference lacks its ";".
  bool Expand(const Table& table) {
    while (table[At(p_)] != 0) {
      if (At(p_) != '&') {
        ++p_;
        continue;
      }
      if (Is(p_ + 1, "amp;") || Is(p_ + 1, "gt;") || Is(p_ + 1, "lt;")) {
        p_ += At(p_ + 1) == 'a' ? 5 : 4;
      } else if (Is(p_ + 1, "apos;") || Is(p_ + 1, "quot;")) {
        p_ += 6;
      } else if (At(p_ + 1) == '#') {
        if (!ReadNumber())
          return false;
      } else {
        ++p_;  // a lone "&" stays as it is
      }
    }
    return true;
  }

  // "&#x" hex digits or "&#" digits, then ";". The parser reads both with
  // one table, so a decimal reference takes a to f as 10 to 15 too.
  bool ReadNumber() {
    const bool hex = At(p_ + 2) == 'x';
    const std::uint64_t base = hex ? 16 : 10;
    p_ += hex ? 3 : 2;
    const std::size_t digits = p_;
    std::uint64_t code = 0;
    for (unsigned char d; (d = Tables::lookup_digits[At(p_)]) != 0xFF; ++p_)
      code = std::min(code * base + d, kLastCodePoint + 1);
    if (code > kLastCodePoint)
      scan_.beyond_unicode.push_back({digits, p_ - digits});
    if (At(p_) != ';')
      return false;
    ++p_;
    return true;
  }

  std::string_view bytes_;
  std::size_t max_depth_;
  std::size_t p_ = 0;
  XmlScan scan_;
};

}  // namespace

XmlScan ScanXml(std::string_view bytes, std::size_t max_depth) {
  return Scanner(bytes, max_depth).Run();
}

std::vector<char> ParserCopy(std::string_view bytes, const XmlScan& scan) {
  std::vector<char> copy;
  copy.reserve(bytes.size() + 1);
  std::size_t from = 0;
  for (const XmlScan::Digits& digits : scan.beyond_unicode) {
    copy.insert(copy.end(), bytes.begin() + from, bytes.begin() + digits.offset);
    copy.push_back('1');
    from = digits.offset + digits.size;
  }
  copy.insert(copy.end(), bytes.begin() + from, bytes.end());
  copy.push_back('\0');
  return copy;
}

}  // namespace tavro::titles
