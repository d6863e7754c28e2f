// XPathEngine: selections over one tree, XPath 1.0 as libxml2 evaluates
// it, except that a name test matches a node's qualified name as written:
// "a" finds an element a in a default namespace, and "p:a" one written
// with the prefix p, whatever namespace p stands for there. Such name
// tests are rewritten into the predicate [name()='...'] before compiling,
// unless the tree allows libxml2's faster name tests to mean the same: a
// tree without namespaces needs no rewriting of unprefixed names, and in a
// tree whose unprefixed elements are all in one default namespace (which
// no prefix of an element stands for) "a" is that namespace's a.
// Unprefixed attribute names are never in a namespace and stay as they are.
#pragma once

#include <libxml/xpath.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace zel_msxml {

class XPathEngine {
public:
  explicit XPathEngine(xmlDocPtr doc);
  ~XPathEngine();
  XPathEngine(const XPathEngine&) = delete;
  XPathEngine& operator=(const XPathEngine&) = delete;

  // The nodes path selects from context, in document order (namespace
  // nodes left out). Raises _com_error for a path that does not compile or
  // gives no node set. names: how unprefixed element names match.
  enum Names { kNamesAsParsed, kNamesInDefault, kNamesAsWritten };
  // defaultUri: with kNamesInDefault, the one default namespace.
  std::vector<xmlNodePtr> Select(xmlNodePtr context, const std::string& path, Names names,
                                 const std::string& defaultUri);

private:
  xmlXPathCompExprPtr Compile(const std::string& path, Names names);

  xmlXPathContextPtr m_ctx;
  std::unordered_map<std::string, xmlXPathCompExprPtr> m_compiled;
  std::string m_registeredUri;
};

// The path with its prefixed name tests turned into predicates on name(),
// and its unprefixed element name tests as names says.
std::string RewriteNameTests(const std::string& path, XPathEngine::Names names);

// The prefix kNamesInDefault gives unprefixed element names.
extern const char* const kDefaultPrefix;

}  // namespace zel_msxml
