// What a hostile or careless caller can do to a document: paths the DOM
// refuses, saves that cannot complete, markup that would not load again.
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "XmlTest.h"
#include "platform/base/Sanitizer.h"
#include "support/EntityBomb.h"
#include "support/LimitedChild.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"

namespace {

const wchar_t* const kRefusedPaths[] = {L"/",      L".",  L"..",    L"@a", L"text()", L"//", L"processing-instruction()",
                                        L"comment()", L"node()", L"", L"r/@a", L"r/text()"};

const wchar_t kDoc[] = L"<?xml version=\"1.0\"?><!--c--><?p d?><r a=\"1\">t<i/></r>";

}  // namespace

// No path reaches the caller as an exception through a path form; each
// answers neutrally and leaves a report or a warning, or does its work.
TEST_F(XmlTest, EveryPathFormAnswersWhateverThePath) {
  for (const wchar_t* path : kRefusedPaths) {
    SCOPED_TRACE(CString(path).ToUtf8());
    Load(kDoc);
    IXMLDOMNodePtr r = x.GetNode2(L"r", 0), none;
    CString out;
    _bstr_t p(path);
    EXPECT_NO_THROW({
      x.GetNode2(path, 0);
      x.GetChildNode2(r, path, 0);
      x.GetNodeCount2(path);
      x.GetNodeCount2(r, path);
      x.GetNodeXML2(path, out, 0);
      x.GetNodeText2(path, out, 0);
      x.GetNodeAttribute2(path, L"a", out, 0);
      x.GetChildNodeXML2(r, path, out, 0);
      x.GetChildNodeText2(r, path, out, 0);
      x.GetChildNodeAttribute2(r, path, L"a", out, 0);
      x.SetNodeText2(path, L"X", 0);
      x.SetNodeAttribute2(path, L"b", L"X", 0);
      x.SetChildNodeText2(r, path, L"X", 0);
      x.SetChildNodeAttribute2(r, path, L"b", L"X", 0);
      x.AddNode2(path, L"X", 0);
      x.AddChildNode2(r, path, L"X", -1);
      x.RemoveChildNodeAll2(r, path);
      x.RemoveChildNode2(r, path, 0);
      x.RemoveNodeAll2(path);
      x.RemoveNode2(path, 0);
      x.GetNode(p, 0);
      x.SetNodeText(p, p, 0);
    });
  }
}

TEST_F(XmlTest, SettingTheDocumentsTextIsAReportedFailure) {
  Load(kDoc);
  x.SetNodeText2(L"/", L"X", 0);
  ExpectReport(L"SetNodeText", L"ZELXml::SetNodeText", 1160);
  x.SetNodeText2(L".", L"X", 0);
  IXMLDOMNodePtr r = x.GetNode2(L"r", 0);
  x.SetChildNodeText2(r, L"..", L"X", 0);
  ExpectReport(L"SetChildNodeText", L"ZELXml::SetChildNodeText", 1250);
  EXPECT_EQ(CString(L"<r a=\"1\">t<i/></r>"), Markup(L"r"));
  // The node forms still pass the DOM's refusal on.
  IXMLDOMNodePtr doc = x.GetRootNode();
  EXPECT_THROW(x.SetNodeText2(doc, L"X"), _com_error);
}

TEST_F(XmlTest, AFailedSaveLeavesTheFileAsItWas) {
  zeltest::SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): full-disk case not run";
  Load(kDoc);
  std::string file = disk.file("doc.xml");
  ASSERT_TRUE(x.SaveAs(disk.wfile("doc.xml").c_str()));
  chmod(file.c_str(), 0600);
  std::string before = zeltest::ReadFileBytes(file);
  disk.Fill();
  x.SetNodeText2(L"r/i", CString(L'y', 100000).GetString(), 0);
  EXPECT_FALSE(x.Save());
  ExpectReport(L"save", L"ZELXml::OnFileSave", 107);
  EXPECT_EQ(before, zeltest::ReadFileBytes(file));
  ZELXml again;
  EXPECT_TRUE(again.Open(disk.wfile("doc.xml").c_str()));
  struct stat st;
  ASSERT_EQ(0, stat(file.c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST_F(XmlTest, NamesTheEncodingCannotHoldAreNotWritten) {
  zeltest::TempDir dir;
  std::string file = dir.file("latin.xml");
  zeltest::WriteFileBytes(file, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>caf\xE9</r>\n");
  ASSERT_TRUE(x.Open(dir.wfile("latin.xml").c_str()));
  x.SetNodeText2(L"r/\u65E5\u672C", L"\u65E5", 0);  // the text can be a reference, the name cannot
  EXPECT_FALSE(x.Save());
  EXPECT_EQ(static_cast<long>(ERROR_NO_UNICODE_TRANSLATION), Report(L"save")->nCode);
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>caf\xE9</r>\n", zeltest::ReadFileBytes(file));

  x.RemoveNode2(L"r/\u65E5\u672C", 0);
  x.SetNodeText2(L"r/b", L"\u65E5", 0);
  ASSERT_TRUE(x.Save());
  ZELXml back;
  ASSERT_TRUE(back.Open(dir.wfile("latin.xml").c_str()));
  CString text;
  back.GetNodeText2(L"r/b", text, 0);
  EXPECT_EQ(CString(L"\u65E5"), text);
}

// The declaration, comments and instructions take only what still reads
// as such.
TEST_F(XmlTest, DataThatWouldBreakTheMarkupIsRefused) {
  Load(kDoc);
  x.SetNodeText2(L"/processing-instruction()", L"x", 0);
  ASSERT_TRUE(Report(L"SetNodeText").has_value());
  x.SetNodeText2(L"/processing-instruction()", L"version=\"1.0\" encoding=\"no-such-code\"", 0);
  x.SetNodeText2(L"/comment()", L"a--b", 0);
  x.SetNodeText2(L"/processing-instruction('p')", L"a?>b", 0);
  IXMLDOMNodePtr doc = x.GetRootNode();
  CString markup;
  x.GetNodeXML2(doc, markup);
  EXPECT_EQ(CString(L"<?xml version=\"1.0\"?>\n<!--c-->\n<?p d?>\n<r a=\"1\">t<i/></r>\n"), markup);
  x.SetNodeText2(L"/processing-instruction()", L"version='1.0' encoding='ISO-8859-1' standalone='yes'", 0);
  x.GetNodeXML2(doc, markup);
  EXPECT_EQ(0, markup.Find(L"<?xml version='1.0' encoding='ISO-8859-1' standalone='yes'?>"));
}

TEST_F(XmlTest, WhatIsSavedLoadsAgain) {
  zeltest::TempDir dir;
  // A text past the parser's usual limit.
  NewRoot();
  CString big(L'x', 11000000);
  x.SetNodeText2(L"root", big.GetString(), 0);
  ASSERT_TRUE(x.SaveAs(dir.wfile("big.xml").c_str()));
  ZELXml back;
  ASSERT_TRUE(back.Open(dir.wfile("big.xml").c_str()));
  CString text;
  back.GetNodeText2(L"root", text, 0);
  EXPECT_EQ(11000000, text.GetLength());

  // An XHTML type is no reason to write anything but the document.
  Load(L"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
       L"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><html><head><title>t</title></head><br/></html>");
  ASSERT_TRUE(x.SaveAs(dir.wfile("x.xml").c_str()));
  std::string saved = zeltest::ReadFileBytes(dir.file("x.xml"));
  EXPECT_EQ(std::string::npos, saved.find("meta"));
  EXPECT_NE(std::string::npos, saved.find("<head><title>t</title></head><br/>"));
}

// Past the parser's size limits an entity bomb is still refused.
TEST_F(XmlTest, LargeDocumentsMayNotDeclareEntities) {
  std::wstring lol = zeltest::EntityBomb(std::wstring(11000000, L'x'));
  EXPECT_FALSE(x.Load2(lol.c_str()));
  ExpectReport(L"loadXML", L"ZELXml::Load2", 153);
}

// Out of memory while loading is a reported failure of the load.
TEST_F(XmlTest, RunningOutOfMemoryIsReported) {
  if (ZEL_ASAN) GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
  int answer = zeltest::RunLimited(1000000000, [&] {
    std::wstring many = L"<r>";
    for (int i = 0; i < 15000000; ++i) many += L"<a/>";
    many += L"</r>";
    if (x.Load2(many.c_str())) return 2;
    std::optional<ZEL_LOG_RECORD> r = Report(L"loadXML");
    return r && r->nCode == static_cast<long>(E_OUTOFMEMORY) ? 0 : 3;
  });
  EXPECT_EQ(0, answer) << zeltest::DescribeChild(answer) << " (2: loaded anyway, 3: not reported as out of memory)";
}

// A reader never sees a file half written, however often it is saved.
TEST_F(XmlTest, ReadersNeverSeeATornFile) {
  zeltest::TempDir dir;
  NewRoot();
  x.SetNodeText2(L"root/a", CString(L'x', 200000).GetString(), 0);
  ASSERT_TRUE(x.SaveAs(dir.wfile("c.xml").c_str()));
  std::atomic<bool> done{false};
  std::atomic<int> failed{0}, read{0};
  std::thread reader([&] {
    CoInitialize(NULL);
    while (!done.load()) {
      ZELXml y;
      if (!y.Open(dir.wfile("c.xml").c_str())) ++failed;
      ++read;
    }
    CoUninitialize();
  });
  for (int i = 0; i < 100 || read.load() < 20; ++i) {
    x.SetNodeText2(L"root/n", CString(std::to_wstring(i).c_str()).GetString(), 0);
    ASSERT_TRUE(x.Save());
  }
  done = true;
  reader.join();
  EXPECT_EQ(0, failed.load()) << "of " << read.load() << " reads";
}
