// DomDocument: the document object. It is the document node of its current
// tree; loading moves it to a new tree and leaves the old one to the
// handles that still refer into it.
#pragma once

#include "platform/msxml/DomNode.h"
#include "platform/msxml/XmlIo.h"

namespace zel_msxml {

class DomDocument : public DomNode, public virtual IXMLDOMDocument2 {
public:
  DomDocument();

  void Putasync(VARIANT_BOOL value) override { m_bAsync = value; }
  VARIANT_BOOL Getasync() override { return m_bAsync; }
  void PutvalidateOnParse(VARIANT_BOOL value) override { m_bValidate = value; }
  VARIANT_BOOL GetvalidateOnParse() override { return m_bValidate; }
  void PutresolveExternals(VARIANT_BOOL value) override { m_bExternals = value; }
  VARIANT_BOOL GetresolveExternals() override { return m_bExternals; }

  VARIANT_BOOL load(const _variant_t& path) override;
  VARIANT_BOOL loadXML(const _bstr_t& xml) override;
  _bstr_t GetparseErrorReason() override { return m_strReason; }
  HRESULT save(const _variant_t& path) override;

  IXMLDOMElementPtr GetdocumentElement() override;
  void PutRefdocumentElement(IXMLDOMElement* element) override;
  IXMLDOMElementPtr createElement(const _bstr_t& tagName) override;
  IXMLDOMProcessingInstructionPtr createProcessingInstruction(const _bstr_t& target, const _bstr_t& data) override;
  IXMLDOMNodePtr createTextNode(const _bstr_t& data) override;
  IXMLDOMNodePtr createComment(const _bstr_t& data) override;
  IXMLDOMNodePtr createNode(const _variant_t& type, const _bstr_t& name, const _bstr_t& namespaceURI) override;

private:
  VARIANT_BOOL Take(ParsedXml parsed);
  void Empty();
  IXMLDOMNodePtr Adopt(xmlNodePtr made);

  VARIANT_BOOL m_bAsync = VARIANT_TRUE;
  VARIANT_BOOL m_bValidate = VARIANT_TRUE;
  VARIANT_BOOL m_bExternals = VARIANT_TRUE;
  _bstr_t m_strReason;
};

}  // namespace zel_msxml
