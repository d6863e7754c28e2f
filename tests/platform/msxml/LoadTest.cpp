// What loading notes while it parses: white space kept by the parser in
// mixed content, and the namespaces that decide how names match.
#include "DomTest.h"

TEST_F(DomTest, BlankTextIsDroppedWhereverTheParserKeptIt) {
  // Text first makes the parser keep the blanks of r; each document has
  // one, before another kind of node or as the last child.
  for (const wchar_t* xml : {L"<r>x<a/> <b/></r>", L"<r>x<a/> <!--c--></r>", L"<r>x<a/>\n<?p d?></r>",
                             L"<r>x<a/>\t<![CDATA[y]]></r>", L"<r>x<a/><b/> </r>"}) {
    Load(xml);
    EXPECT_EQ(3, doc->GetdocumentElement()->GetchildNodes()->Getlength()) << Narrow(xml);
  }
  Load(L"<r>x<a xml:space=\"preserve\">y<b/> </a></r>");
  EXPECT_EQ(3, doc->selectSingleNode(L"r/a")->GetchildNodes()->Getlength());
}

TEST_F(DomTest, NamespacesAreNotedAsTheyAreRead) {
  // A default namespace on the document element, kept by every element.
  Load(L"<r xmlns=\"urn:d\"><a><b/></a></r>");
  EXPECT_EQ(1, doc->selectNodes(L"r/a/b[true()]")->Getlength());
  // Broken deep down by an element in no namespace, still written "b".
  Load(L"<r xmlns=\"urn:d\"><a><b xmlns=\"\"/></a></r>");
  EXPECT_EQ(1, doc->selectNodes(L"r/a/b[true()]")->Getlength());
  // Only an attribute is in a namespace.
  Load(L"<r xmlns:p=\"urn:p\"><a p:x=\"1\"/></r>");
  EXPECT_EQ(1, doc->selectNodes(L"r/a[@p:x='1']")->Getlength());
  // A blank kept by the parser makes the tree walked again; the notes
  // must come out the same.
  Load(L"<r xmlns=\"urn:d\">x<a/> <b xmlns=\"\"/> </r>");
  EXPECT_EQ(1, doc->selectNodes(L"r/b[true()]")->Getlength());
  EXPECT_EQ(3, doc->GetdocumentElement()->GetchildNodes()->Getlength());
}

TEST_F(DomTest, LongTextsLoadWholeAcrossPieces) {
  // Characters of one to four UTF-8 bytes, so that pieces handed to the
  // parser end inside every kind of character.
  std::wstring value;
  for (int i = 0; i < 5000; ++i) value += i % 4 == 0 ? L"a" : i % 4 == 1 ? L"\u00e9" : i % 4 == 2 ? L"\u20ac" : L"\U0001F600";
  std::wstring xml = L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"" + value + L"\">" + value + L"</r>";
  Load(xml.c_str());
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  EXPECT_TRUE(_bstr_t(value.c_str()) == r->Gettext());
  EXPECT_TRUE(_bstr_t(value.c_str()) == r->Getattributes()->getNamedItem(L"a")->Gettext());
  EXPECT_EQ(VARIANT_FALSE, doc->loadXML((xml + L"<extra/>").c_str()));
}

TEST_F(DomTest, TextOfEveryShapeOfNode) {
  // One text child is read in place; anything else is joined by libxml2.
  Load(L"<r><a>plain \u20ac</a><b><![CDATA[x<y]]></b><c>a<d>b</d>c<!--n-->d</c><e/><f>t<![CDATA[u]]></f></r>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"a", L"plain \u20ac"}, {L"b", L"x<y"},       {L"c", L"abcd"},       {L"e", L""},
      {L"f", L"tu"},          {L"a/text()", L"plain \u20ac"}, {L"b/text()", L"x<y"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, std::wstring(r->selectSingleNode(c.first)->Gettext())) << c.first;
  EXPECT_EQ(L"plain \u20acx<yabcdtu", std::wstring(r->Gettext()));
}
