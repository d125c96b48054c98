#pragma once
// The walk that bounds rapidxml's depth must read a document as rapidxml
// does: the same verdict, and the same deepest element when it parses.

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "FuzzCheck.h"
#include "titles/XmlDocument.h"

inline std::size_t ElementDepth(const tavro::titles::XmlNode& node) {
  std::size_t deepest = 0;
  for (const auto* child = node.first_node(); child != nullptr; child = child->next_sibling()) {
    if (child->type() == rapidxml::node_element)
      deepest = std::max(deepest, 1 + ElementDepth(*child));
  }
  return deepest;
}

inline void CheckXmlAgreement(std::string_view bytes) {
  constexpr std::size_t kShallow = 200;  // parsed here without a bound
  const auto scan = tavro::titles::ScanXml(bytes, kShallow);
  if (scan.depth > kShallow)
    return;
  auto copy = tavro::titles::ParserCopy(bytes, scan);
  rapidxml::xml_document<char> document;
  bool parses = true;
  try {
    document.parse<rapidxml::parse_default>(copy.data());
  } catch (const rapidxml::parse_error&) {
    parses = false;
  }
  FUZZ_CHECK(parses == scan.parses);
  if (parses)
    FUZZ_CHECK(ElementDepth(document) == scan.depth);
}
