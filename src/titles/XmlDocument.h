#pragma once
// The one way the title view parses XML: rapidxml on a private copy, after a
// scan that refuses what rapidxml should never see. It recurses once per
// level of nesting, so a document nested deeper than any real one could end
// the program on the stack; it is refused before parsing.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <rapidxml.hpp>

namespace tavro::titles {

using XmlNode = rapidxml::xml_node<char>;

// Deepest nesting of elements that bytes could reach when parsed (an upper
// bound: comments, CDATA and quoted values are skipped as the parser does,
// anything it could not tell apart counts as one level more).
std::size_t XmlDepthBound(std::string_view bytes);

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
