// XPathEngine: selections over one tree, XPath 1.0 as libxml2 evaluates
// it, except that a name test matches a node's qualified name as written:
// "a" finds an element a in a default namespace, and "p:a" one written
// with the prefix p, whatever namespace p stands for there. Such name
// tests are rewritten into the predicate [name()='...'] before compiling;
// a tree without namespaces needs no rewriting of unprefixed names, which
// keeps libxml2's fast name tests for the common case.
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
  // gives no node set. allNames: rewrite unprefixed name tests too.
  std::vector<xmlNodePtr> Select(xmlNodePtr context, const std::string& path, bool allNames);

private:
  xmlXPathCompExprPtr Compile(const std::string& path, bool allNames);

  xmlXPathContextPtr m_ctx;
  std::unordered_map<std::string, xmlXPathCompExprPtr> m_compiled;
};

// The path with its name tests turned into predicates on name(): every
// name test when allNames, else only the prefixed ones.
std::string RewriteNameTests(const std::string& path, bool allNames);

}  // namespace zel_msxml
