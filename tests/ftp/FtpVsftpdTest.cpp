// The same client against vsftpd: anonymous, LIST without MLSD, times in
// its own layout, and its own replies to refusals and aborts.
#include <sys/stat.h>

#include <random>

#include "FtpTestUtil.h"
#include "ZELResult.h"

namespace {

using namespace zeltest;

struct Vsftpd : FtpFixture {
  static FtpServer::Options Use() {
    FtpServer::Options o;
    o.bVsftpd = true;
    return o;
  }
  Vsftpd() : FtpFixture(Use()) {}
};

TEST_F(Vsftpd, TransfersListingAndManagement) {
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/pub"));
  std::string data(100000, '\0');
  std::mt19937 gen(9);
  for (char& c : data) c = static_cast<char>(gen());
  WriteFileBytes(local.file("a b.bin"), data);
  ASSERT_EQ(0, ftp.PutFile(local.wfile("a b.bin").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ(data, ReadFileBytes(server.file("pub/a b.bin")));
  ASSERT_EQ(0, ftp.CreateDir(L"sub", FALSE));
  ZELFtpItem item;
  int more = ftp.GetFirstItem(item);
  std::vector<ZELFtpItem> items{item};
  while (more) {
    more = ftp.GetNextItem(item);
    items.push_back(item);
  }
  ASSERT_EQ(2u, items.size());
  for (const ZELFtpItem& i : items) {
    if (i.m_strName == L"a b.bin") {
      EXPECT_EQ(100000u, i.m_dwSize);
      EXPECT_EQ(ZELFtpItem::TYPE_FILE, i.m_nType);
    } else {
      EXPECT_EQ(CString(L"sub"), i.m_strName);
      EXPECT_EQ(ZELFtpItem::TYPE_DIR, i.m_nType);
    }
  }
  ASSERT_EQ(0, ftp.GetFileEx(L"a b.bin", local.wfile("back").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ(data, ReadFileBytes(local.file("back")));
  EXPECT_EQ(0, ftp.RenameFile(L"a b.bin", L"c.bin"));
  EXPECT_EQ(0, ftp.DeleteFileW(L"c.bin"));
  EXPECT_EQ(ZEL_RESULT_FILE_DELETE, ftp.DeleteFileW(L"c.bin"));
  EXPECT_EQ(0, ftp.DeleteDir(L"sub"));
}

TEST_F(Vsftpd, CancelledDownloadLeavesTheConnectionUsable) {
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/pub"));
  WriteFileBytes(server.file("pub/big"), std::string(8u << 20, 'z'));
  Recorder rec;
  rec.cancelAt = 2;
  EXPECT_EQ(2, ftp.GetFileEx(L"big", local.wfile("part").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, &rec));
  EXPECT_EQ(8192u, ReadFileBytes(local.file("part")).size());
  EXPECT_EQ(0, ftp.CreateDir(L"after", FALSE));
}

}  // namespace
