#include <sys/stat.h>

#include "FtpTestUtil.h"
#include "ZELResult.h"

namespace {

using namespace zeltest;

using FtpList = FtpFixture;

// Every entry, as a caller who wants them all collects them.
std::vector<ZELFtpItem> All(ZELFtp& ftp) {
  std::vector<ZELFtpItem> out;
  ZELFtpItem item;
  item.m_strName.Empty();
  int more = ftp.GetFirstItem(item);
  if (!item.m_strName.IsEmpty()) out.push_back(item);
  while (more) {
    item.Clear();
    item.m_strName.Empty();
    more = ftp.GetNextItem(item);
    if (!item.m_strName.IsEmpty()) out.push_back(item);
  }
  return out;
}

TEST_F(FtpList, EntriesWithTypesSizesAndTimesWithoutDots) {
  ::mkdir(server.file("a dir").c_str(), 0755);
  WriteFileBytes(server.file("with space.txt"), std::string(1234, 'x'));
  WriteFileBytes(server.file("b"), "");
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/"));
  auto items = All(ftp);
  ASSERT_EQ(3u, items.size());
  int dirs = 0;
  for (const ZELFtpItem& i : items) {
    EXPECT_NE(CString(L"."), i.m_strName);
    EXPECT_NE(CString(L".."), i.m_strName);
    if (i.m_strName == L"with space.txt") {
      EXPECT_EQ(1234u, i.m_dwSize);
      EXPECT_EQ(ZELFtpItem::TYPE_FILE, i.m_nType);
      EXPECT_LT(std::abs(static_cast<long>(i.m_tmLastWrite.GetTime() - ::time(nullptr))), 120L);
    }
    if (i.m_nType == ZELFtpItem::TYPE_DIR) ++dirs;
  }
  EXPECT_EQ(1, dirs);
  // The listing ended: the next step needs a new start.
  ZELFtpItem item;
  EXPECT_EQ(0, ftp.GetNextItem(item));
  EXPECT_EQ(CString(L"NEED_FIRST"), ftp.GetLog(ftp.GetLogCount() - 1).strDetail);
  EXPECT_EQ(234, ftp.GetLog(ftp.GetLogCount() - 1).nLine);
}

TEST_F(FtpList, OneFileAnswersZeroWithTheItemFilled) {
  WriteFileBytes(server.file("only"), "1");
  ZELFtpItem item;
  EXPECT_EQ(0, ftp.GetFirstItem(item));
  EXPECT_EQ(CString(L"only"), item.m_strName);
  EXPECT_EQ(1u, item.m_dwSize);
}

TEST_F(FtpList, EmptyFolderAndNoConnection) {
  ZELFtpItem item;
  item.m_strName = L"untouched";
  EXPECT_EQ(0, ftp.GetFirstItem(item));
  EXPECT_EQ(CString(L"untouched"), item.m_strName);
  EXPECT_EQ(CString(L"FIND_FILE"), ftp.GetLog(ftp.GetLogCount() - 1).strDetail);
  ftp.Disconnect();
  EXPECT_EQ(0, ftp.GetFirstItem(item));
  EXPECT_EQ(ZEL_RESULT_NOT_OPEN, LastCode());
  EXPECT_EQ(CString(L"NET_DISCONNECT"), ftp.GetLog(ftp.GetLogCount() - 1).strDetail);
}

TEST_F(FtpList, ItemsAreValues) {
  ZELFtpItem a;
  EXPECT_EQ(ZELFtpItem::TYPE_NONE, a.m_nType);
  a.m_strName = L"n";
  a.m_dwSize = 7;
  a.m_nType = ZELFtpItem::TYPE_DIR;
  ZELFtpItem b(a);
  a.Clear();
  EXPECT_EQ(CString(L"n"), b.m_strName);
  EXPECT_EQ(7u, b.m_dwSize);
  EXPECT_TRUE(a.m_strName.IsEmpty());
  EXPECT_EQ(0u, a.m_dwSize);
}

}  // namespace
