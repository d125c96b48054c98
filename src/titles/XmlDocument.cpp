#include "titles/XmlDocument.h"

#include <algorithm>
#include <vector>

namespace tavro::titles {

namespace {

// The position just past the first end marker at or after from; the end of
// bytes when there is none.
std::size_t PastMarker(std::string_view bytes, std::size_t from, std::string_view marker) {
  const std::size_t at = bytes.find(marker, from);
  return at == std::string_view::npos ? bytes.size() : at + marker.size();
}

// Past a DOCTYPE, skipped as the parser skips it: to the next ">" outside
// a bracketed part, a bracket scanned to its matching one.
std::size_t PastDoctype(std::string_view bytes, std::size_t from) {
  std::size_t i = from;
  while (i < bytes.size() && bytes[i] != '>') {
    if (bytes[i++] != '[')
      continue;
    for (int brackets = 1; brackets > 0 && i < bytes.size(); ++i) {
      if (bytes[i] == '[')
        ++brackets;
      else if (bytes[i] == ']')
        --brackets;
    }
  }
  return i < bytes.size() ? i + 1 : bytes.size();
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Past an opening tag starting at from (just after "<"), quoted values
// skipped; sets closed when it ends in "/>".
std::size_t PastOpeningTag(std::string_view bytes, std::size_t from, bool& closed) {
  char quote = 0;
  for (std::size_t i = from; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (quote != 0) {
      if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      closed = i > from && bytes[i - 1] == '/';
      return i + 1;
    }
  }
  closed = false;
  return bytes.size();
}

}  // namespace

std::size_t XmlDepthBound(std::string_view bytes) {
  std::size_t depth = 0;
  std::size_t deepest = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] != '<') {
      ++i;
      continue;
    }
    const std::string_view rest = bytes.substr(i);
    if (rest.starts_with("<!--")) {
      i = PastMarker(bytes, i + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      i = PastMarker(bytes, i + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      i = PastMarker(bytes, i + 2, "?>");
    } else if (rest.starts_with("<!DOCTYPE") && rest.size() > 9 && IsBlank(rest[9])) {
      i = PastDoctype(bytes, i + 10);
    } else if (rest.starts_with("<!")) {
      i = PastMarker(bytes, i + 2, ">");  // any other "<!": to the next ">"
    } else if (rest.starts_with("</")) {
      if (depth > 0)
        --depth;
      i = PastMarker(bytes, i + 2, ">");
    } else {
      bool closed = false;
      i = PastOpeningTag(bytes, i + 1, closed);
      if (!closed)
        deepest = std::max(deepest, ++depth);
      else
        deepest = std::max(deepest, depth + 1);
    }
  }
  return deepest;
}

bool ParseXml(std::string_view bytes, std::size_t max_bytes, std::size_t max_depth,
              const char* root, const std::function<void(const XmlNode&)>& use) {
  if (bytes.size() > max_bytes || XmlDepthBound(bytes) > max_depth)
    return false;
  // rapidxml parses in place and needs the terminating zero.
  std::vector<char> copy(bytes.begin(), bytes.end());
  copy.push_back('\0');
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
