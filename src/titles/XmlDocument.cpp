#include "titles/XmlDocument.h"

namespace tavro::titles {

bool ParseXml(std::string_view bytes, std::size_t max_bytes, std::size_t max_depth,
              const char* root, const std::function<void(const XmlNode&)>& use) {
  if (bytes.size() > max_bytes)
    return false;
  // A document the parser would throw on is refused here as well: the walk
  // stops there, so its depth past that point is unknown.
  const XmlScan scan = ScanXml(bytes, max_depth);
  if (!scan.parses)
    return false;
  // rapidxml parses in place and needs the terminating zero.
  std::vector<char> copy = ParserCopy(bytes, scan);
  rapidxml::xml_document<char> document;
  try {
    document.parse<rapidxml::parse_default>(copy.data());
  } catch (const rapidxml::parse_error&) {
    return false;
  }
  const XmlNode* node = document.first_node(root);
  if (node == nullptr)
    return false;
  use(*node);
  return true;
}

std::string_view ChildText(const XmlNode& node, const char* name) {
  const XmlNode* child = node.first_node(name);
  return child == nullptr ? std::string_view()
                          : std::string_view(child->value(), child->value_size());
}

std::string_view AttributeText(const XmlNode& node, const char* name) {
  const auto* attribute = node.first_attribute(name);
  return attribute == nullptr ? std::string_view()
                              : std::string_view(attribute->value(), attribute->value_size());
}

}  // namespace tavro::titles
