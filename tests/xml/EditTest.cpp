#include "XmlTest.h"
#include "support/TempDir.h"

TEST_F(XmlTest, AddNodeCreatesEachMissingLevel) {
  NewRoot();
  IXMLDOMNodePtr b = x.AddNode2(L"root/a/b", L"x", 0);
  ASSERT_TRUE(b != NULL);
  EXPECT_EQ(2, Warnings(L"Order is not valid"));
  EXPECT_EQ(CString(L"<root><a><b>x</b></a></root>"), Markup(L"root"));

  EXPECT_TRUE(x.AddNode2(L"root/a/b", L"y", 0) == b);  // found, text replaced
  EXPECT_EQ(2, Warnings(L"Order is not valid"));
  x.AddNode2(L"root/a/b", L"z", 1);
  EXPECT_EQ(3, Warnings(L"Order is not valid"));
  x.AddNode2(L"root/a/b", L"w", -1);
  x.AddNode2(L"root/a/b", L"v", -1);
  EXPECT_EQ(3, Warnings(L"Order is not valid"));
  EXPECT_EQ(CString(L"<a><b>y</b><b>z</b><b>w</b><b>v</b></a>"), Markup(L"root/a"));
}

TEST_F(XmlTest, AddNodeUnderAnotherFirstNameFails) {
  NewRoot();
  EXPECT_TRUE(x.AddNode2(L"other/a", L"x", 0) == NULL);
  ExpectReport(L"AddSingleNode", L"ZELXml::AddSingleNode", 1482);
  ExpectReport(L"AddNode", L"ZELXml::AddNode", 1347);
  EXPECT_TRUE(x.AddNode2(L"", L"x", 0) == NULL);
  EXPECT_TRUE(x.AddNode2(L"root//a", L"x", 0) == NULL);  // an empty name
  EXPECT_EQ(CString(L"<root/>"), Markup(L"root"));
}

TEST_F(XmlTest, AddChildNodeStartsAtTheNode) {
  Load(L"<root><a><old/></a></root>");
  IXMLDOMNodePtr a = x.GetNode2(L"root/a", 0);
  x.AddChildNode2(a, L"c/d", L"1", 0);
  EXPECT_EQ(CString(L"<a><old/><c><d>1</d></c></a>"), Markup(L"root/a"));
  EXPECT_TRUE(x.AddChildNode2(a, L"", L"", 0) == a);  // no names: the node itself gets the text
  EXPECT_EQ(CString(L"<a/>"), Markup(L"root/a"));
  IXMLDOMNodePtr text = x.AddChildNode2(a, L"t", L"x", 0);
  IXMLDOMNodePtr inText = x.GetChildNode(text, 0);
  EXPECT_TRUE(x.AddChildNode2(inText, L"e", L"x", 0) == NULL);
  ExpectReport(L"AddChildNode", L"ZELXml::AddChildNode", 1428);
}

TEST_F(XmlTest, AddedElementsJoinTheDefaultNamespace) {
  Load(L"<root xmlns=\"urn:x\"/>");
  x.AddNode2(L"root/a/b", L"t", 0);
  EXPECT_EQ(CString(L"<root xmlns=\"urn:x\"><a><b>t</b></a></root>"), Markup(L"root"));
  EXPECT_EQ(1, x.GetNodeCount2(L"root/a/b"));
}

TEST_F(XmlTest, TextsAreSetLiterally) {
  NewRoot();
  x.SetNodeText2(L"root/p/q", L"a&b<c", 0);  // created as AddNode would
  EXPECT_EQ(CString(L"<p><q>a&amp;b&lt;c</q></p>"), Markup(L"root/p"));
  x.SetNodeText2(L"root/p", L"", 0);
  EXPECT_EQ(CString(L"<p/>"), Markup(L"root/p"));
  IXMLDOMNodePtr none;
  x.SetNodeText2(none, L"ignored");
  IXMLDOMNodePtr p = x.GetNode2(L"root/p", 0);
  x.SetChildNodeText2(p, L"r", L"1", 0);
  x.SetChildNodeText2(p, L"r", L"2", 0);
  EXPECT_EQ(CString(L"<p><r>2</r></p>"), Markup(L"root/p"));
}

TEST_F(XmlTest, AttributesAreAddedThenReplaced) {
  NewRoot();
  IXMLDOMNodePtr root = x.GetNode2(L"root", 0);
  x.SetNodeAttribute2(root, L"k", L"1");
  x.SetNodeAttribute2(root, L"k", L"\"2\"");
  EXPECT_EQ(CString(L"<root k=\"&quot;2&quot;\"/>"), Markup(L"root"));
  IXMLDOMNodePtr none;
  x.SetNodeAttribute2(none, L"k", L"1");
  ExpectReport(L"SetNodeAttribute", L"ZELXml::SetNodeAttribute", 1116);
  x.SetNodeAttribute2(L"root/n", L"id", L"5", 0);
  IXMLDOMNodePtr n = x.GetNode2(L"root/n", 0);
  x.SetChildNodeAttribute2(n, L"m", L"id", L"6", 0);
  EXPECT_EQ(CString(L"<n id=\"5\"><m id=\"6\"/></n>"), Markup(L"root/n"));
}

TEST_F(XmlTest, RemovingNodes) {
  Load(L"<root><a/><a/><a/><b><c/>t<d/></b></root>");
  x.RemoveNode2(L"root/a", 5);
  EXPECT_EQ(3, x.GetNodeCount2(L"root/a"));
  x.RemoveNode2(L"root/a", 0);
  EXPECT_EQ(2, x.GetNodeCount2(L"root/a"));
  x.RemoveNodeAll2(L"root/a");
  EXPECT_EQ(0, x.GetNodeCount2(L"root/a"));
  x.RemoveNodeAll2(L"root/none");
  x.RemoveNodeAll2(L"root/");
  ExpectReport(L"RemoveNodeAll", L"ZELXml::RemoveNodeAll", 1584);

  IXMLDOMNodePtr b = x.GetNode2(L"root/b", 0), c = x.GetChildNode(b, 0);
  x.SetNodeAttribute2(b, L"k", L"v");
  x.RemoveChildNodeAll(b);
  EXPECT_EQ(CString(L"<b k=\"v\"/>"), Markup(L"root/b"));
  CString name;
  x.GetNodeName2(c, name);  // a removed node stays readable through its handle
  EXPECT_EQ(CString(L"c"), name);

  IXMLDOMNodePtr doc = x.GetRootNode(), none;
  x.RemoveNode(doc);
  EXPECT_EQ(1, x.GetNodeCount2(L"root"));
  x.RemoveChildNodeAll(none);
  ExpectReport(L"RemoveChildNodeAll", L"ZELXml::RemoveChildNodeAll", 1674);
  x.RemoveChildNodeAll2(none, L"x");
  ExpectReport(L"RemoveChildNodeAll", L"ZELXml::RemoveChildNodeAll", 1708);
}

TEST_F(XmlTest, RemoveAllStopsAtAMatchOfAnotherParent) {
  Load(L"<root><x/><a><x/></a><x/></root>");
  x.RemoveNodeAll2(L"//x");
  ExpectReport(L"RemoveNodeAll", L"ZELXml::RemoveNodeAll", 1584);
  EXPECT_EQ(2, x.GetNodeCount2(L"//x"));  // the one after it went first
  IXMLDOMNodePtr root = x.GetNode2(L"root", 0);
  x.RemoveChildNodeAll2(root, L"a");
  EXPECT_EQ(CString(L"<root><x/></root>"), Markup(L"root"));
}

TEST_F(XmlTest, BuildSaveAndReadBack) {
  NewRoot(L"config");
  for (int i = 0; i < 3; ++i) x.AddNode2(L"config/item", std::to_wstring(i).c_str(), -1);
  x.SetNodeAttribute2(L"config/item", L"name", L"second", 1);
  zeltest::TempDir dir;
  ASSERT_TRUE(x.SaveAs(dir.wfile("c.xml").c_str()));
  ZELXml y;
  ASSERT_TRUE(y.Open(dir.wfile("c.xml").c_str()));
  CString text;
  y.GetNodeText2(L"config/item[@name='second']", text, 0);
  EXPECT_EQ(CString(L"1"), text);
  EXPECT_EQ(3, y.GetNodeCount2(L"config/item"));
}
