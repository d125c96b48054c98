#pragma once
// The one way the title view parses XML: rapidxml on a private copy, after a
// walk that reads the document exactly as rapidxml will (XmlScan.cpp). It
// recurses once per level of nesting, so a document nested deeper than any
// real one could end the program on the stack; it is refused before parsing.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <rapidxml.hpp>

namespace tavro::titles {

using XmlNode = rapidxml::xml_node<char>;

// What rapidxml would do with bytes, found without parsing them.
struct XmlScan {
  // The deepest nesting of elements it reaches; once past max_depth the
  // walk stops there.
  std::size_t depth = 0;
  // Whether it reads to the end without an error (and within max_depth).
  bool parses = false;
  // The digits of each numeric character reference (&#...; or &#x...;)
  // whose value lies past U+10FFFF: rapidxml's own count wraps round.
  struct Digits {
    std::size_t offset = 0;
    std::size_t size = 0;
  };
  std::vector<Digits> beyond_unicode;
};
XmlScan ScanXml(std::string_view bytes, std::size_t max_depth);

// The zero-terminated copy rapidxml parses: bytes with each reference of
// scan.beyond_unicode made U+0001, a control character no name or title ID
// takes, so only the field holding it is refused, on every build.
std::vector<char> ParserCopy(std::string_view bytes, const XmlScan& scan);

// Parses bytes and hands the root element named root to use. False, without
// calling use, when the document is larger than max_bytes, nested deeper
// than max_depth, does not parse, or has no such root.
bool ParseXml(std::string_view bytes, std::size_t max_bytes, std::size_t max_depth,
              const char* root, const std::function<void(const XmlNode&)>& use);

// The text of the child element named name; empty when there is none.
std::string_view ChildText(const XmlNode& node, const char* name);
// The value of the attribute named name; empty when there is none.
std::string_view AttributeText(const XmlNode& node, const char* name);

}  // namespace tavro::titles
