#include "platform/msxml/XPathEngine.h"

#include <libxml/xpathInternals.h>

#include <cctype>

#include "platform/msxml/DomText.h"

namespace zel_msxml {

namespace {

// What the previous token was, as far as XPath's rules for telling a name
// test from an operator name need to know.
enum Prev { kNone, kOpens, kOther };  // kOpens: @ :: ( [ , or an operator

bool NameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool NameChar(unsigned char c) { return NameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }

size_t SkipName(const std::string& s, size_t i) {
  while (i < s.size() && NameChar(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

size_t SkipSpace(const std::string& s, size_t i) {
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

void NoErrors(void*, xmlErrorPtr) {}

const size_t kMaxCompiled = 256;

}  // namespace

const char* const kDefaultPrefix = "zeldefault";

std::string RewriteNameTests(const std::string& s, XPathEngine::Names names) {
  std::string out;
  out.reserve(s.size() + 16);
  Prev prev = kNone;
  bool elementAxis = true;  // what the next name test is on
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t start = i;
    if (std::isspace(c)) {
      out += s[i++];
      continue;
    }
    if (c == '"' || c == '\'') {
      size_t end = s.find(static_cast<char>(c), i + 1);
      i = end == std::string::npos ? s.size() : end + 1;
      out.append(s, start, i - start);
      prev = kOther;
      continue;
    }
    bool operatorContext = prev == kOther;
    if (NameStart(c) && !operatorContext) {
      i = SkipName(s, i);
      bool prefixed = false, anyLocal = false;
      if (i + 1 < s.size() && s[i] == ':' && s[i + 1] != ':') {
        if (s[i + 1] == '*') {
          anyLocal = true;
          i += 2;
        } else if (NameStart(static_cast<unsigned char>(s[i + 1]))) {
          i = SkipName(s, i + 1);
        }
        prefixed = true;
      }
      std::string name = s.substr(start, i - start);
      size_t next = SkipSpace(s, i);
      bool call = next < s.size() && s[next] == '(';
      bool axis = next + 1 < s.size() && s[next] == ':' && s[next + 1] == ':';
      if (call || axis || (!prefixed && (!elementAxis || names == XPathEngine::kNamesAsParsed))) {
        out += name;
      } else if (!prefixed && names == XPathEngine::kNamesInDefault) {
        out += std::string(kDefaultPrefix) + ":" + name;
      } else if (anyLocal) {
        out += "*[starts-with(name(),'" + name.substr(0, name.size() - 1) + "')]";
      } else {
        out += "*[name()='" + name + "']";
      }
      if (axis) elementAxis = name != "attribute" && name != "namespace";
      else if (!call) elementAxis = true;
      prev = kOther;
      continue;
    }
    if (NameStart(c)) {  // and, or, div, mod
      i = SkipName(s, i);
      out.append(s, start, i - start);
      prev = kOpens;
      continue;
    }
    if (c == '$') {
      i = SkipName(s, i + 1);
      if (i < s.size() && s[i] == ':') i = SkipName(s, i + 1);
      out.append(s, start, i - start);
      prev = kOther;
      continue;
    }
    if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
      out.append(s, start, i - start);
      prev = kOther;
      continue;
    }
    if (c == ':' && i + 1 < s.size() && s[i + 1] == ':') {
      out += "::";
      i += 2;
      prev = kOpens;
      continue;
    }
    // One- and two-character punctuation.
    ++i;
    if ((c == '/' && i < s.size() && s[i] == '/') || (c == '.' && i < s.size() && s[i] == '.') ||
        ((c == '!' || c == '<' || c == '>') && i < s.size() && s[i] == '='))
      ++i;
    out.append(s, start, i - start);
    if (c == '@') elementAxis = false;
    if (c == '*' && !operatorContext) elementAxis = true;
    if (c == '*')
      prev = operatorContext ? kOpens : kOther;  // multiplication, or the name test *
    else if (c == ')' || c == ']' || c == '.')
      prev = kOther;
    else
      prev = kOpens;
  }
  return out;
}

XPathEngine::XPathEngine(xmlDocPtr doc) : m_ctx(xmlXPathNewContext(doc)) {
  if (!m_ctx) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"XPath context");
  m_ctx->error = NoErrors;
  xmlXPathContextSetCache(m_ctx, 1, -1, 0);
}

XPathEngine::~XPathEngine() {
  for (auto& e : m_compiled) xmlXPathFreeCompExpr(e.second);
  xmlXPathFreeContext(m_ctx);
}

xmlXPathCompExprPtr XPathEngine::Compile(const std::string& path, Names names) {
  std::string key = std::to_string(names) + path;
  auto it = m_compiled.find(key);
  if (it != m_compiled.end()) return it->second;
  if (m_compiled.size() >= kMaxCompiled) {
    for (auto& e : m_compiled) xmlXPathFreeCompExpr(e.second);
    m_compiled.clear();
  }
  std::string expr = RewriteNameTests(path, names);
  xmlXPathCompExprPtr comp = xmlXPathCtxtCompile(m_ctx, X(expr));
  if (!comp) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"the path is not a valid expression");
  m_compiled.emplace(key, comp);
  return comp;
}

std::vector<xmlNodePtr> XPathEngine::Select(xmlNodePtr context, const std::string& path, Names names,
                                            const std::string& defaultUri) {
  if (path.empty()) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"the path is empty");
  if (names == kNamesInDefault && defaultUri != m_registeredUri) {
    xmlXPathRegisterNs(m_ctx, reinterpret_cast<const xmlChar*>(kDefaultPrefix), X(defaultUri));
    m_registeredUri = defaultUri;
  }
  xmlXPathCompExprPtr comp = Compile(path, names);
  m_ctx->node = context;
  xmlXPathObjectPtr res = xmlXPathCompiledEval(comp, m_ctx);
  if (!res) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"the path cannot be evaluated");
  if (res->type != XPATH_NODESET) {
    xmlXPathFreeObject(res);
    Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"the path selects no nodes");
  }
  std::vector<xmlNodePtr> nodes;
  if (xmlNodeSetPtr set = res->nodesetval) {
    nodes.reserve(static_cast<size_t>(set->nodeNr));
    for (int k = 0; k < set->nodeNr; ++k)
      if (set->nodeTab[k]->type != XML_NAMESPACE_DECL) nodes.push_back(set->nodeTab[k]);
  }
  xmlXPathFreeObject(res);
  return nodes;
}

}  // namespace zel_msxml
