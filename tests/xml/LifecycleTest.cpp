#include "XmlTest.h"
#include "support/TempDir.h"

TEST_F(XmlTest, NewAndCreateRootGiveDeclarationThenElement) {
  NewRoot();
  IXMLDOMNodePtr doc = x.GetRootNode();
  EXPECT_EQ(NODE_DOCUMENT, doc->GetnodeType());
  EXPECT_EQ(2, x.GetChildCount(doc));
  CString name;
  IXMLDOMNodePtr decl = x.GetChildNode(doc, 0), root = x.GetChildNode(doc, 1);
  x.GetNodeName2(decl, name);
  EXPECT_EQ(CString(L"xml"), name);
  x.GetNodeName2(root, name);
  EXPECT_EQ(CString(L"root"), name);

  zeltest::TempDir dir;
  ASSERT_TRUE(x.SaveAs(dir.wfile("a.xml").c_str()));
  EXPECT_EQ("<?xml version='1.0' encoding='UTF-8'?>\n<root/>\n", zeltest::ReadFileBytes(dir.file("a.xml")));
  ZELXml y;
  ASSERT_TRUE(y.Open(dir.wfile("a.xml").c_str()));
  IXMLDOMNodePtr ydoc = y.GetRootNode();
  EXPECT_EQ(2, y.GetChildCount(ydoc));
}

TEST_F(XmlTest, ClosedObjectWarnsAndAnswersNeutrally) {
  _bstr_t name(L"root"), path(L"root");
  IXMLDOMNodePtr none;
  EXPECT_FALSE(x.CreateRoot(name));
  EXPECT_TRUE(x.GetRootNode() == NULL);
  EXPECT_TRUE(x.GetNode(0) == NULL);
  EXPECT_EQ(-1, x.GetNodeCount(path));
  EXPECT_EQ(-1, x.GetNodeCount(none, path));  // a NULL node takes the document form
  EXPECT_EQ(0, x.GetChildCount(none));
  EXPECT_EQ(0, x.IsHasChildren(none));
  EXPECT_TRUE(x.AddNode2(L"root/a", L"x", 0) == NULL);
  x.RemoveNodeAll2(L"root");
  CString out(L"old");
  x.GetNodeText2(L"root", out, 0);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(10, Warnings(L"XML is not opened"));
  EXPECT_EQ(10, x.GetLogCount());
}

TEST_F(XmlTest, FailedLoadLeavesTheObjectClosed) {
  Load(L"<a/>");
  EXPECT_FALSE(x.Load2(L"<a><b></a>"));
  EXPECT_FALSE(x.IsOpened());
  ExpectReport(L"loadXML", L"ZELXml::Load2", 153);
  _bstr_t bad(L"no markup");
  EXPECT_FALSE(x.Load(bad));
  ExpectReport(L"loadXML", L"ZELXml::Load", 140);
  EXPECT_EQ(ERROR_INVALID_DATA, Report(L"loadXML")->nCode);

  zeltest::TempDir dir;
  EXPECT_FALSE(x.Open(dir.wfile("missing.xml").c_str()));
  ExpectReport(L"load", L"ZELXml::OnFileOpen", 97);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Report(L"load")->nCode);
  NewRoot();
  EXPECT_FALSE(x.SaveAs(dir.wfile("no/dir/a.xml").c_str()));
  ExpectReport(L"save", L"ZELXml::OnFileSave", 107);
}

TEST_F(XmlTest, ReloadKeepsOldHandlesWorking) {
  Load(L"<a><b>old</b></a>");
  IXMLDOMNodePtr b = x.GetNode2(L"a/b", 0);
  Load(L"<c/>");
  CString text;
  x.GetNodeText2(b, text);
  EXPECT_EQ(CString(L"old"), text);
  EXPECT_EQ(0, x.GetNodeCount2(L"a/b"));
  x.Close();
  x.GetNodeText2(b, text);  // node readings need no open document
  EXPECT_EQ(CString(L"old"), text);
}

TEST_F(XmlTest, CopyIsIndependentAndNeedsAnOpenSource) {
  ZELXml src, closed;
  ASSERT_TRUE(src.Load2(L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\u00e9</a>"));
  Load(L"<keep/>");
  EXPECT_FALSE(x.Copy(closed));
  std::optional<ZEL_LOG_RECORD> r = Report(L"NOT OPENED");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(-103, r->nCode);
  EXPECT_EQ(0, r->nCategory);
  EXPECT_EQ(164, r->nLine);
  EXPECT_EQ(1, x.GetNodeCount2(L"keep"));  // unchanged

  ASSERT_TRUE(x.Copy(src));
  src.SetNodeText2(L"a", L"changed", 0);
  CString text;
  x.GetNodeText2(L"a", text, 0);
  EXPECT_EQ(CString(L"\u00e9"), text);
}

TEST_F(XmlTest, AssignedObjectsShareOneDocument) {
  NewRoot();
  ZELXml y;
  y = x;
  y.AddNode2(L"root/a", L"1", 0);
  EXPECT_EQ(1, x.GetNodeCount2(L"root/a"));
  x.AddNode2(L"root/b", L"2", 0);
  EXPECT_EQ(1, y.GetNodeCount2(L"root/b"));
  x.Close();
  EXPECT_TRUE(y.IsOpened());
  EXPECT_EQ(1, y.GetNodeCount2(L"root/b"));
  y = y;
  EXPECT_EQ(1, y.GetNodeCount2(L"root/a"));
}

TEST_F(XmlTest, HandlesOutliveTheObject) {
  IXMLDOMNodePtr a;
  {
    ZELXml y;
    ASSERT_TRUE(y.Load2(L"<r><a>t</a></r>"));
    a = y.GetNode2(L"r/a", 0);
  }
  CString xml;
  x.GetNodeXML2(a, xml);
  EXPECT_EQ(CString(L"<a>t</a>"), xml);
}

TEST_F(XmlTest, StaticHelpers) {
  EXPECT_EQ(CString(L"<![CDATA[a]]>b]]>"), ZELXml::GetXMLString(L"a]]>b"));
  _bstr_t none;
  CString out(L"x");
  ZELXml::BSTRtoCString(none, out);
  EXPECT_TRUE(out.IsEmpty());
  IXMLDOMNodePtr node;
  ZELXml::SafeRelease(node);
  EXPECT_TRUE(node == NULL);
}
