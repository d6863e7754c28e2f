// What a document does when the disk, the memory or the file itself is
// not what it expects: the document and the file stay as they were.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "HtmlTestUtil.h"
#include "ZELHtml.h"
#include "platform/base/Sanitizer.h"
#include "support/LimitedChild.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"

using namespace htmltest;

TEST(HtmlSafety, AFailedSaveLeavesTheFileAsItWas) {
  zeltest::SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): full-disk case not run";
  ZELHtml doc;
  doc.Load(L"<p>old</p>");
  ASSERT_TRUE(doc.Save(disk.wfile("page.html").c_str()));
  chmod(disk.file("page.html").c_str(), 0604);
  disk.Fill();
  doc.Load((L"<p>" + std::wstring(200000, L'n') + L"</p>").c_str());
  EXPECT_FALSE(doc.Save(disk.wfile("page.html").c_str()));
  EXPECT_EQ(zeltest::ReadFileBytes(disk.file("page.html")), "<p>old</p>");
  struct stat st;
  ASSERT_EQ(0, stat(disk.file("page.html").c_str(), &st));
  EXPECT_EQ(0604u, st.st_mode & 0777);
}

// A pipe or a device may never end (and a FIFO waits for a writer): only
// regular files are opened, at once and without reading.
TEST(HtmlSafety, OnlyRegularFilesAreOpened) {
  zeltest::TempDir dir;
  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  ZELHtml doc;
  doc.Load(L"<p>keep</p>");
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(doc.Open(dir.wfile("fifo").c_str()));
  EXPECT_FALSE(doc.Open(L"/dev/zero"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));  // a hang guard
  EXPECT_EQ(W(doc.m_root.GetFullText()), L"<p>keep</p>");
}

// Under an address-space limit a file of 20 MB of '<' (one element each)
// runs out of memory: Open answers FALSE and keeps the document.
TEST(HtmlSafety, RunningOutOfMemoryFailsTheOpen) {
  if (ZEL_ASAN) GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
  zeltest::TempDir dir;
  zeltest::WriteFileBytes(dir.file("lt.html"), std::string(20 << 20, '<'));
  int answer = zeltest::RunLimited(1000000000, [&] {
    ZELHtml doc;
    doc.Load(L"<p>keep</p>");
    if (doc.Open(dir.wfile("lt.html").c_str())) return 2;
    return doc.m_root.GetFullText() == L"<p>keep</p>" ? 0 : 3;
  });
  EXPECT_EQ(0, answer) << zeltest::DescribeChild(answer) << " (2: opened anyway, 3: the document changed)";
}
