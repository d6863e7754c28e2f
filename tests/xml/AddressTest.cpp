#include "XmlTest.h"

TEST_F(XmlTest, PositionsCountTopLevelNodes) {
  NewRoot();
  CString name;
  IXMLDOMNodePtr n = x.GetNode(1);
  x.GetNodeName2(n, name);
  EXPECT_EQ(CString(L"root"), name);
  EXPECT_TRUE(x.GetNode(2) == NULL);
  EXPECT_EQ(1, Warnings(L"Order is not valid"));
  EXPECT_TRUE(x.GetNode(-1) == NULL);
  EXPECT_EQ(1, Warnings(L"Order is not valid"));
}

TEST_F(XmlTest, PathsWithOccurrenceIndex) {
  Load(L"<root>\n  <a>1</a>\n  <a>2</a>\n</root>");
  CString text;
  x.GetNodeText2(L"root/a", text, 1);
  EXPECT_EQ(CString(L"2"), text);
  EXPECT_TRUE(x.GetNode2(L"root/a", 2) == NULL);
  EXPECT_EQ(1, Warnings(L"Order is not valid"));
  EXPECT_TRUE(x.GetNode2(L"root/a", -1) == NULL);
  EXPECT_EQ(1, Warnings(L"Order is not valid"));
  EXPECT_TRUE(x.GetNode2(L"root/a", 0) == x.GetNode2(L"root/a", 0));
  EXPECT_EQ(0, x.GetNodeCount2(L"root/none"));
  EXPECT_TRUE(x.GetNode2(L"root/none", 0) == NULL);
  EXPECT_EQ(2, Warnings(L"Order is not valid"));
  IXMLDOMNodePtr root = x.GetNode2(L"root", 0);
  EXPECT_EQ(2, x.GetChildCount(root));  // indentation is not counted
  EXPECT_EQ(2, x.GetNodeCount2(root, L"a"));
}

TEST_F(XmlTest, DefaultNamespaceIsFoundByPlainNames) {
  Load(L"<root xmlns=\"urn:x\"><item id=\"7\"/></root>");
  CString id;
  x.GetNodeAttribute2(L"root/item", L"id", id, 0);
  EXPECT_EQ(CString(L"7"), id);
}

TEST_F(XmlTest, NullNodeTakesTheDocumentForm) {
  Load(L"<root><a/></root>");
  IXMLDOMNodePtr none;
  EXPECT_TRUE(x.GetChildNode2(none, L"root/a", 0) == x.GetNode2(L"root/a", 0));
  EXPECT_TRUE(x.GetChildNode2(none, L"root/a", 3) == NULL);
  EXPECT_EQ(1, Warnings(L"Order is not valid"));
  EXPECT_TRUE(x.GetChildNode2(none, L"root[", 0) == NULL);
  ExpectReport(L"GetNode", L"ZELXml::GetNode", 384);  // reported as the document form
  EXPECT_EQ(-1, x.GetChildCount(none));
  ExpectReport(L"GetChildCount", L"ZELXml::GetChildCount", 558);
  EXPECT_TRUE(x.GetParentNode(none) == NULL);
  EXPECT_THROW(x.IsHasChildren(none), _com_error);
}

TEST_F(XmlTest, ChildLookupsAndTheirReports) {
  Load(L"<root><a><b/></a></root>");
  IXMLDOMNodePtr a = x.GetNode2(L"root/a", 0);
  IXMLDOMNodePtr b = x.GetChildNode(a, 0);
  EXPECT_TRUE(b == x.GetChildNode2(a, L"b", 0));
  EXPECT_TRUE(x.GetChildNode(a, 1) == NULL);
  EXPECT_EQ(1, Warnings(L"Order is not valid"));
  EXPECT_TRUE(x.GetChildNode2(a, L"b[", 0) == NULL);
  ExpectReport(L"GetChildNode", L"ZELXml::GetChildNode", 479);
  EXPECT_EQ(-1, x.GetNodeCount2(L"count(a)"));
  ExpectReport(L"GetNodeCount", L"ZELXml::GetNodeCount", 602);
  EXPECT_EQ(-1, x.GetNodeCount2(a, L"]"));
  ExpectReport(L"GetNodeCount", L"ZELXml::GetNodeCount", 655);
  EXPECT_TRUE(x.GetParentNode(b) == a);
  IXMLDOMNodePtr root = x.GetNode2(L"root", 0), doc = x.GetParentNode(root);
  EXPECT_TRUE(doc == x.GetRootNode());
  EXPECT_TRUE(x.GetParentNode(doc) == NULL);
}

TEST_F(XmlTest, HasChildrenAnswersMinusOne) {
  Load(L"<root><t>x</t><e/></root>");
  IXMLDOMNodePtr t = x.GetNode2(L"root/t", 0), e = x.GetNode2(L"root/e", 0);
  EXPECT_EQ(-1, x.IsHasChildren(t));
  EXPECT_EQ(0, x.IsHasChildren(e));
}

TEST_F(XmlTest, Readings) {
  Load(L"<root a=\"1\">hello<!-- c --></root>");
  IXMLDOMNodePtr root = x.GetNode2(L"root", 0);
  _bstr_t out, name(L"a"), missing(L"b");
  x.GetNodeText(root, out);
  EXPECT_EQ(_bstr_t(L"hello"), out);
  x.GetNodeXML(root, out);
  EXPECT_EQ(_bstr_t(L"<root a=\"1\">hello<!-- c --></root>"), out);
  x.GetNodeName(root, out);
  EXPECT_EQ(_bstr_t(L"root"), out);
  x.GetNodeAttribute(root, name, out);
  EXPECT_EQ(_bstr_t(L"1"), out);
  x.GetNodeAttribute(root, missing, out);
  EXPECT_EQ(_bstr_t(L""), out);
  EXPECT_EQ(0, x.GetLogCount());

  IXMLDOMNodePtr text = x.GetChildNode(root, 0);
  _bstr_t kept(L"kept");
  x.GetNodeAttribute(text, name, kept);
  EXPECT_EQ(_bstr_t(L"kept"), kept);  // the base form leaves its output
  ExpectReport(L"GetNodeAttribute", L"ZELXml::GetNodeAttribute", 821);
  CString emptied(L"kept");
  x.GetNodeAttribute2(text, L"a", emptied);
  EXPECT_TRUE(emptied.IsEmpty());

  CString s(L"x");
  x.GetChildNodeText2(root, L"none", s, 0);
  EXPECT_TRUE(s.IsEmpty());
  IXMLDOMNodePtr doc = x.GetRootNode();
  x.GetChildNodeAttribute2(doc, L"root", L"a", s, 0);
  EXPECT_EQ(CString(L"1"), s);
  x.GetChildNodeXML2(doc, L"root/comment()", s, 0);
  EXPECT_EQ(CString(L"<!-- c -->"), s);
}
