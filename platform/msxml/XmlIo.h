// Reading and writing markup with libxml2, the way the DOM promises:
// nothing outside the document is fetched, entity expansion is bounded,
// white-space-only text is dropped, the declaration is a node, and a
// document is written as it is held.
#pragma once

#include <libxml/tree.h>

#include <string>

namespace zel_msxml {

struct ParsedXml {
  xmlDocPtr doc = nullptr;    // NULL when the markup did not load
  bool hasNamespaces = false;  // an element or attribute is in a namespace
  std::string defaultUri;      // see DocState
  std::string reason;          // why it did not load
  bool noMemory = false;       // it did not load for want of memory
};

// A string's markup, whatever encoding its declaration names.
ParsedXml ParseXmlText(const wchar_t* text, size_t length);
// A file's markup, read as it is parsed; it names its own encoding.
ParsedXml ParseXmlFile(int fd);

// The whole document, top-level nodes each followed by a line break. With
// inDeclaredEncoding, in the encoding the declaration names (UTF-8 when
// there is none); else UTF-8. Raises _com_error for an unknown encoding.
std::string WriteDocument(xmlDocPtr doc, bool inDeclaredEncoding);
// True when element keeps a tree's one default namespace uri meaningful:
// unprefixed and in it, or prefixed and in another.
bool DefaultRuleHolds(xmlNodePtr element, const std::string& uri);

// One node with its descendants, UTF-8.
std::string WriteNode(xmlNodePtr node);

}  // namespace zel_msxml
