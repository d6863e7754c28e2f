#include <gtest/gtest.h>

#include <vector>

#include "ZELFile.h"

namespace {

// Records the hooks it sees; answers what the test asks.
class Doc : public ZELFile {
public:
  std::vector<CString> calls;
  int answer = TRUE;

protected:
  void OnFileClose() override { calls.push_back(L"close"); }
  int OnFileNew() override { calls.push_back(L"new"); return answer; }
  int OnFileOpen(const wchar_t* p) override { calls.push_back(CString(L"open ") + p); return answer; }
  int OnFileSave(const wchar_t* p) override { calls.push_back(CString(L"save ") + p); return answer; }
};

}  // namespace

TEST(File, LifecycleRunsTheHooksInOrder) {
  Doc d;
  EXPECT_FALSE(d.IsOpened());
  EXPECT_FALSE(d.Save());  // nothing open
  EXPECT_TRUE(d.Open(L"/tmp/a.xml"));
  EXPECT_TRUE(d.IsOpened());
  EXPECT_TRUE(d.Save());
  EXPECT_TRUE(d.SaveAs(L"/tmp/b.xml"));
  EXPECT_TRUE(d.Save());
  d.Close();
  EXPECT_FALSE(d.IsOpened());
  d.Close();  // closing twice runs the hook once
  std::vector<CString> want = {L"open /tmp/a.xml", L"save /tmp/a.xml", L"save /tmp/b.xml", L"save /tmp/b.xml",
                               L"close"};
  EXPECT_EQ(d.calls, want);
}

TEST(File, FailedHooksLeaveTheDocumentClosed) {
  Doc d;
  EXPECT_TRUE(d.New());
  EXPECT_FALSE(d.Save());  // a new document has no path yet
  d.answer = FALSE;
  EXPECT_FALSE(d.Open(L"/nowhere"));
  EXPECT_FALSE(d.IsOpened());
  EXPECT_FALSE(d.New());
  EXPECT_FALSE(d.IsOpened());
  EXPECT_FALSE(d.Open(L""));
  EXPECT_FALSE(d.Open(nullptr));
}

TEST(File, AssignmentCopiesTheBaseState) {
  Doc a;
  a.Open(L"/tmp/x");
  Doc b;
  static_cast<ZELFile&>(b) = a;
  EXPECT_TRUE(b.IsOpened());
  EXPECT_EQ(b.GetPathName(), L"/tmp/x");
}
