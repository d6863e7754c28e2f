#include "platform/msxml/WriteRules.h"

#include <iconv.h>

#include <cerrno>
#include <regex>
#include <strings.h>

#include "platform/msxml/DomText.h"

namespace zel_msxml {

namespace {

bool ValidDeclaration(const std::string& data) {
  static const std::regex decl(
      "version\\s*=\\s*(\"1\\.[0-9]+\"|'1\\.[0-9]+')"
      "(\\s+encoding\\s*=\\s*(\"[A-Za-z][A-Za-z0-9._-]*\"|'[A-Za-z][A-Za-z0-9._-]*'))?"
      "(\\s+standalone\\s*=\\s*(\"(yes|no)\"|'(yes|no)'))?\\s*");
  if (!std::regex_match(data, decl)) return false;
  // An encoding no converter knows would make the document unwritable.
  std::smatch m;
  static const std::regex enc("encoding\\s*=\\s*[\"']([^\"']*)");
  if (!std::regex_search(data, m, enc)) return true;
  xmlCharEncodingHandlerPtr known = xmlFindCharEncodingHandler(m[1].str().c_str());
  if (!known) return false;
  xmlCharEncCloseFunc(known);
  return true;
}

bool Ascii(const xmlChar* s) {
  for (; s && *s; ++s)
    if (*s >= 0x80) return false;
  return true;
}

class Encoder {
public:
  explicit Encoder(const std::string& encoding) : m_cd(iconv_open(encoding.c_str(), "UTF-8")) {}
  ~Encoder() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // Raises naming what when s holds a character the encoding lacks.
  void Check(const xmlChar* s, const char* what) {
    if (Ascii(s) || m_cd == reinterpret_cast<iconv_t>(-1)) return;
    std::string in(reinterpret_cast<const char*>(s));
    char* src = &in[0];
    size_t left = in.size();
    char out[256];
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    while (left > 0) {
      char* dst = out;
      size_t room = sizeof out;
      if (iconv(m_cd, &src, &left, &dst, &room) == static_cast<size_t>(-1) && errno != E2BIG) {
        std::string why = std::string("the ") + what + " \"" + in.substr(0, 80) + "\" cannot be written in this encoding";
        Raise(E_FAIL, ERROR_NO_UNICODE_TRANSLATION, _bstr_t(why.c_str()));
      }
    }
  }

private:
  iconv_t m_cd;
};

}  // namespace

void CheckNodeData(xmlElementType type, const xmlChar* target, const std::string& value) {
  const char* why = nullptr;
  if (type == XML_COMMENT_NODE && (value.find("--") != std::string::npos || (!value.empty() && value.back() == '-')))
    why = "a comment cannot hold \"--\" or end with \"-\"";
  else if (type == XML_CDATA_SECTION_NODE && value.find("]]>") != std::string::npos)
    why = "a CDATA section cannot hold \"]]>\"";
  else if (type == XML_PI_NODE && value.find("?>") != std::string::npos)
    why = "a processing instruction cannot hold \"?>\"";
  else if (type == XML_PI_NODE && target && xmlStrEqual(target, reinterpret_cast<const xmlChar*>("xml")) &&
           !ValidDeclaration(value))
    why = "the declaration takes only version, encoding and standalone";
  if (why) Raise(E_INVALIDARG, ERROR_INVALID_DATA, _bstr_t(why));
}

void CheckEncodable(xmlDocPtr doc, const std::string& encoding) {
  // The Unicode forms hold every character.
  if (strncasecmp(encoding.c_str(), "UTF", 3) == 0 || strncasecmp(encoding.c_str(), "UCS", 3) == 0) return;
  Encoder enc(encoding);
  xmlNodePtr cur = doc->children;
  while (cur) {
    switch (cur->type) {
      case XML_ELEMENT_NODE:
        enc.Check(cur->name, "name");
        if (cur->ns) enc.Check(cur->ns->prefix, "prefix");
        for (xmlNsPtr ns = cur->nsDef; ns; ns = ns->next) enc.Check(ns->prefix, "prefix");
        for (xmlAttrPtr a = cur->properties; a; a = a->next) {
          enc.Check(a->name, "name");
          if (a->ns) enc.Check(a->ns->prefix, "prefix");
        }
        break;
      case XML_PI_NODE:
        enc.Check(cur->name, "instruction");
        enc.Check(cur->content, "instruction");
        break;
      case XML_COMMENT_NODE:
        enc.Check(cur->content, "comment");
        break;
      case XML_CDATA_SECTION_NODE:
        enc.Check(cur->content, "CDATA section");
        break;
      default:
        break;
    }
    if (cur->type == XML_ELEMENT_NODE && cur->children) {
      cur = cur->children;
      continue;
    }
    while (cur && !cur->next && cur->parent != reinterpret_cast<xmlNodePtr>(doc)) cur = cur->parent;
    cur = cur ? cur->next : nullptr;
  }
}

}  // namespace zel_msxml
