// Reading a path's occurrences one index at a time, with the document
// changed between reads by every way it can change: the answers must be
// those of the document as it is at each read.
#include "XmlTest.h"

namespace {

const wchar_t* const kItems = L"<list><item id=\"0\"><name>n0</name></item><item id=\"1\"><name>n1</name></item>"
                              L"<item id=\"2\"><name>n2</name></item></list>";

}  // namespace

class OccurrenceTest : public XmlTest {
protected:
  CString Text(ZELXml& xml, const wchar_t* path, long order) {
    CString out;
    xml.GetNodeText2(path, out, order);
    return out;
  }
  // Every name, read by occurrence.
  CString Names(ZELXml& xml) {
    CString all;
    int n = xml.GetNodeCount2(L"list/item/name");
    for (int i = 0; i < n; ++i) all += Text(xml, L"list/item/name", i) + L",";
    return all;
  }
};

TEST_F(OccurrenceTest, EveryReadFormSeesEditsOfThisObject) {
  Load(kItems);
  EXPECT_EQ(CString(L"n0,n1,n2,"), Names(x));
  IXMLDOMNodePtr added = x.AddNode2(L"list/item", L"", -1);
  x.AddChildNode2(added, L"name", L"n3", 0);
  EXPECT_EQ(CString(L"n0,n1,n2,n3,"), Names(x));
  x.RemoveNode2(L"list/item", 1);
  EXPECT_EQ(CString(L"n0,n2,n3,"), Names(x));
  x.SetNodeText2(L"list/item/name", L"m2", 1);
  EXPECT_EQ(CString(L"m2"), Text(x, L"list/item[2]/name", 0));  // an XPath path sees it too
  EXPECT_EQ(0, x.GetNodeCount2(L"list/item[@id='9']"));
  EXPECT_EQ(1, x.GetNodeCount2(L"list/item[name='m2']"));
  x.SetNodeAttribute2(L"list/item", L"id", L"9", 0);
  CString id;
  x.GetNodeAttribute2(L"list/item", L"id", id, 0);
  EXPECT_EQ(CString(L"9"), id);
  EXPECT_EQ(1, x.GetNodeCount2(L"list/item[@id='9']"));
  EXPECT_EQ(CString(L"n0"), Text(x, L"list/item[@id='9']/name", 0));
  x.RemoveNodeAll2(L"list/item");
  EXPECT_EQ(CString(L""), Names(x));
  EXPECT_TRUE(x.GetNode2(L"list/item/name", 0) == NULL);

  // From a node: its child readings follow the same rules.
  Load(kItems);
  IXMLDOMNodePtr list = x.GetNode2(L"list", 0);
  CString name;
  x.GetChildNodeText2(list, L"item/name", name, 2);
  EXPECT_EQ(CString(L"n2"), name);
  x.RemoveChildNode2(list, L"item", 0);
  x.GetChildNodeText2(list, L"item/name", name, 1);
  EXPECT_EQ(CString(L"n2"), name);
  EXPECT_EQ(2, x.GetNodeCount2(list, L"item"));
  x.RemoveChildNodeAll(list);
  EXPECT_EQ(0, x.GetNodeCount2(list, L"item"));
}

TEST_F(OccurrenceTest, ASecondObjectAndHandlesChangeWhatIsRead) {
  Load(kItems);
  ZELXml y;
  y = x;
  EXPECT_EQ(CString(L"n0,n1,n2,"), Names(x));
  y.RemoveNode2(L"list/item", 0);
  EXPECT_EQ(CString(L"n1,n2,"), Names(x));
  y.AddNode2(L"list/item", L"", -1);
  EXPECT_EQ(4, x.GetNodeCount2(L"list/item") + 1);  // the new item has no name yet

  // Through node handles: text, attributes, removal, appending.
  IXMLDOMNodePtr second = x.GetNode2(L"list/item/name", 1);
  EXPECT_EQ(0, y.GetNodeCount2(L"list/item[name='h2']"));
  x.SetNodeText2(second, L"h2");
  EXPECT_EQ(CString(L"n1,h2,"), Names(y));
  EXPECT_EQ(1, y.GetNodeCount2(L"list/item[name='h2']"));
  IXMLDOMNodePtr item = x.GetNode2(L"list/item", 0);
  EXPECT_EQ(CString(L""), Text(y, L"list/item[@id='h']/name", 0));
  x.SetNodeAttribute2(item, L"id", L"h");
  EXPECT_EQ(CString(L"n1"), Text(y, L"list/item[@id='h']/name", 0));
  x.RemoveNode(second);
  EXPECT_EQ(CString(L"n1,"), Names(y));
  IXMLDOMNodePtr last = x.GetNode2(L"list/item", 2);
  x.AddChildNode2(last, L"name", L"a3", 0);
  EXPECT_EQ(CString(L"n1,a3,"), Names(y));
  IXMLDOMNodePtr doc = x.GetRootNode();
  IXMLDOMNodePtr made = IXMLDOMDocument2Ptr(doc)->createElement(L"name");
  item->appendChild(made);
  EXPECT_EQ(CString(L"n1,,a3,"), Names(y));
}

TEST_F(OccurrenceTest, HandlesHeldAcrossCloseAndLoadChangeTheirOwnDocument) {
  Load(kItems);
  ZELXml y;
  y = x;
  IXMLDOMNodePtr item = x.GetNode2(L"list/item", 0);
  EXPECT_EQ(CString(L"n0,n1,n2,"), Names(y));
  x.Close();
  x.RemoveNode(item);  // the document is y's now
  EXPECT_EQ(CString(L"n1,n2,"), Names(y));

  Load(kItems);  // a new document for x; y and the handles keep the old one
  IXMLDOMNodePtr fresh = x.GetNode2(L"list/item/name", 0);
  IXMLDOMNodePtr old = y.GetNode2(L"list/item/name", 0);
  EXPECT_EQ(CString(L"n0,n1,n2,"), Names(x));
  y.Load2(kItems);
  x.SetNodeText2(old, L"gone");
  x.SetNodeText2(fresh, L"f0");
  EXPECT_EQ(CString(L"f0,n1,n2,"), Names(x));
  EXPECT_EQ(CString(L"n0,n1,n2,"), Names(y));
}

TEST_F(OccurrenceTest, EditingEveryOccurrenceInALoop) {
  NewRoot(L"list");
  for (int i = 0; i < 200; ++i) x.AddNode2(L"list/item/name", L"", -1);
  ASSERT_EQ(200, x.GetNodeCount2(L"list/item/name"));
  for (int i = 0; i < 200; ++i) x.SetNodeText2(L"list/item/name", CString(std::to_wstring(i).c_str()), i);
  for (int i = 0; i < 200; ++i) x.SetNodeAttribute2(L"list/item/name", L"at", CString(std::to_wstring(i).c_str()), i);
  CString text, at;
  int warned = Warnings(L"Order is not valid");
  for (int i = 199; i >= 0; i -= 7) {
    x.GetNodeText2(L"list/item/name", text, i);
    x.GetNodeAttribute2(L"list/item/name", L"at", at, i);
    EXPECT_EQ(CString(std::to_wstring(i).c_str()), text);
    EXPECT_EQ(text, at);
  }
  x.GetNodeText2(L"list/item/name", text, 200);
  EXPECT_EQ(CString(L""), text);
  EXPECT_EQ(warned + 1, Warnings(L"Order is not valid"));
}

TEST_F(OccurrenceTest, ChildrenByPositionFollowTheirParent) {
  Load(kItems);
  IXMLDOMNodePtr list = x.GetNode2(L"list", 0);
  IXMLDOMNodePtr first = x.GetChildNode(list, 0);
  EXPECT_EQ(3, x.GetChildCount(list));
  ZELXml y;
  y = x;
  y.AddNode2(L"list/item", L"", -1);
  EXPECT_EQ(4, x.GetChildCount(list));
  x.RemoveNode(first);
  EXPECT_EQ(3, x.GetChildCount(list));
  CString id;
  IXMLDOMNodePtr now = x.GetChildNode(list, 0);
  x.GetNodeAttribute2(now, L"id", id);
  EXPECT_EQ(CString(L"1"), id);
  // Text set on a child replaces the child's own children only.
  x.SetNodeText2(now, L"t");
  IXMLDOMNodePtr text = x.GetChildNode(now, 0);
  EXPECT_EQ(0, x.GetChildCount(text));
  EXPECT_EQ(1, x.GetChildCount(now));
  EXPECT_EQ(3, x.GetChildCount(list));
  x.RemoveChildNodeAll(list);
  EXPECT_TRUE(x.GetChildNode(list, 0) == NULL);
  // A node moved from one parent to another leaves the first.
  Load(L"<r><a><c/></a><b/></r>");
  IXMLDOMNodePtr a = x.GetNode2(L"r/a", 0), b = x.GetNode2(L"r/b", 0);
  EXPECT_EQ(1, x.GetChildCount(a));
  b->appendChild(x.GetChildNode(a, 0));
  EXPECT_EQ(0, x.GetChildCount(a));
  EXPECT_EQ(1, x.GetChildCount(b));
}
