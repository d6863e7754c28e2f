#include <sys/stat.h>

#include "FtpTestUtil.h"
#include "ZELResult.h"

namespace {

using namespace zeltest;

TEST(FtpConnect, ServerTextsThatAreNoFtpUrl) {
  FtpServer server;
  ZELFtp ftp;
  EXPECT_EQ(ZEL_RESULT_NO_SERVER, ftp.Connect(L"", L"zel", L"zel", server.port()));
  EXPECT_EQ(ZEL_RESULT_NO_SERVER, ftp.Connect(L"127.0.0.1", L"zel", L"zel", server.port()));
  EXPECT_EQ(ZEL_RESULT_NOT_FTP_URL, ftp.Connect(L"http://127.0.0.1/", L"zel", L"zel", server.port()));
  ASSERT_EQ(3, ftp.GetLogCount());
  ZEL_LOG_RECORD r = ftp.GetLog(2);
  EXPECT_EQ(ZEL_CATEGORY_RESULT, r.nCategory);
  EXPECT_EQ(CString(L"ZELFtp::Connect"), r.strFunction);
  EXPECT_EQ(116, r.nLine);
  EXPECT_EQ(CString(L"http://127.0.0.1/"), r.strDetail);
  EXPECT_FALSE(ftp.IsConnected());
}

TEST(FtpConnect, ReconnectDropsTheOldConnectionAndAFailureLeavesNone) {
  FtpServer server;
  ZELFtp ftp;
  std::wstring url = L"ftp://127.0.0.1:1/pub";  // the URL's port is not used
  ASSERT_EQ(0, ftp.Connect(url.c_str(), L"zel", L"zel", server.port()));
  EXPECT_EQ(CString(L"127.0.0.1"), ftp.GetServerName());
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/"));
  EXPECT_EQ(ZEL_RESULT_SESSION, ftp.Connect(url.c_str(), L"zel", L"wrong password", server.port()));
  EXPECT_FALSE(ftp.IsConnected());
  EXPECT_TRUE(ftp.GetRemoteDir().IsEmpty());
  EXPECT_TRUE(ftp.GetServerName().IsEmpty());
  ZEL_LOG_RECORD r = ftp.GetLog(ftp.GetLogCount() - 1);
  EXPECT_EQ(ZEL_CATEGORY_SYSTEM, r.nCategory);
  EXPECT_EQ(ERROR_INTERNET_LOGIN_FAILURE, r.nCode);
  EXPECT_EQ(130, r.nLine);
  // The password is never part of what is logged.
  EXPECT_EQ(-1, r.strText.Find(L"wrong password"));
  EXPECT_EQ(-1, r.strDetail.Find(L"wrong password"));
  EXPECT_EQ(ZEL_RESULT_NOT_CONNECTED, ftp.SetRemoteDir(L"/"));
}

TEST(FtpConnect, NothingListensThere) {
  ZELFtp ftp;
  int port;
  {
    FtpServer gone;
    port = gone.port();
  }
  EXPECT_EQ(ZEL_RESULT_SESSION, ftp.Connect(L"ftp://127.0.0.1/", L"zel", L"zel", port));
  EXPECT_EQ(ERROR_INTERNET_CANNOT_CONNECT, ftp.GetLog(0).nCode);
}

struct FtpDirs : FtpFixture {
  void SetUp() override {
    ::mkdir(server.file("pub").c_str(), 0755);
    ::mkdir(server.file("pub/data").c_str(), 0755);
    ::mkdir(server.file("pub/data/sub").c_str(), 0755);
    ::mkdir(server.file("pub/data/sub/x").c_str(), 0755);
    ::mkdir(server.file("x").c_str(), 0755);
    FtpFixture::SetUp();
  }
};

TEST_F(FtpDirs, RelativePathsResolveAgainstTheRemoteFolder) {
  EXPECT_TRUE(ftp.GetRemoteDir().IsEmpty());
  ASSERT_EQ(0, ftp.SetRemoteDir(L"pub"));  // asks for /pub
  EXPECT_EQ(CString(L"/pub"), ftp.GetRemoteDir());
  ASSERT_EQ(0, ftp.SetRemoteDir(L"data"));
  EXPECT_EQ(CString(L"/pub/data"), ftp.GetRemoteDir());
  ASSERT_EQ(0, ftp.SetRemoteDir(L"sub\\x"));
  EXPECT_EQ(CString(L"/pub/data/sub/x"), ftp.GetRemoteDir());
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/pub/data"));
  ASSERT_EQ(0, ftp.SetRemoteDir(L".."));
  EXPECT_EQ(CString(L"/pub"), ftp.GetRemoteDir());
  ASSERT_EQ(0, ftp.MoveUpDir());
  EXPECT_EQ(CString(L"/"), ftp.GetRemoteDir());
  ASSERT_EQ(0, ftp.SetRemoteDir(L"x"));  // "//x" from the root
  EXPECT_EQ(CString(L"/x"), ftp.GetRemoteDir());
}

TEST_F(FtpDirs, RefusalsAndTheFolderAlreadyCurrent) {
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/pub"));
  int before = ftp.GetLogCount();
  EXPECT_EQ(ZEL_RESULT_INVALID_NAME, ftp.SetRemoteDir(L"/nowhere"));
  ZEL_LOG_RECORD r = ftp.GetLog(before);
  EXPECT_EQ(ERROR_INTERNET_EXTENDED_ERROR, r.nCode);
  EXPECT_EQ(0, r.strText.Find(L"550"));  // the server's own words
  EXPECT_EQ(CString(L"/nowhere"), r.strDetail);
  EXPECT_EQ(172, r.nLine);
  EXPECT_EQ(CString(L"/pub"), ftp.GetRemoteDir());
  // In any letter case: no request, so a folder that exists only in
  // another case is not looked for.
  ::mkdir(server.file("PUB").c_str(), 0755);
  EXPECT_EQ(0, ftp.SetRemoteDir(L"/PUB"));
  EXPECT_EQ(CString(L"/pub"), ftp.GetRemoteDir());
  EXPECT_EQ(ZEL_RESULT_INVALID_NAME, ftp.SetRemoteDir(L""));
}

TEST_F(FtpDirs, RemoteFilesAndFolders) {
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/pub"));
  EXPECT_EQ(0, ftp.CreateFileW(L"empty.txt"));
  struct stat st;
  ASSERT_EQ(0, ::stat(server.file("pub/empty.txt").c_str(), &st));
  EXPECT_EQ(0, st.st_size);
  EXPECT_EQ(0, ftp.RenameFile(L"empty.txt", L"moved.txt"));
  EXPECT_EQ(0, ftp.DeleteFileW(L"moved.txt"));
  EXPECT_EQ(ZEL_RESULT_FILE_DELETE, ftp.DeleteFileW(L"moved.txt"));
  EXPECT_EQ(ZEL_RESULT_FILE_RENAME, ftp.RenameFile(L"moved.txt", L"again.txt"));
  EXPECT_EQ(CString(L"moved.txt"), ftp.GetLog(ftp.GetLogCount() - 1).strDetail);
  EXPECT_EQ(ZEL_RESULT_INVALID_NAME, ftp.RenameFile(L"a.txt", L"a/b"));
  EXPECT_EQ(CString(L"a/b"), ftp.GetLog(ftp.GetLogCount() - 1).strDetail);
  EXPECT_EQ(0, ftp.CreateDir(L"made", TRUE));
  EXPECT_EQ(CString(L"/pub/made"), ftp.GetRemoteDir());
  ASSERT_EQ(0, ftp.MoveUpDir());
  EXPECT_EQ(ZEL_RESULT_DIR_CREATE, ftp.CreateDir(L"made", FALSE));
  EXPECT_EQ(0, ftp.RenameDir(L"made", L"renamed"));
  EXPECT_EQ(ZEL_RESULT_DIR_RENAME, ftp.RenameDir(L"made", L"other"));
  EXPECT_EQ(CString(L"other"), ftp.GetLog(ftp.GetLogCount() - 1).strDetail);
  EXPECT_EQ(0, ftp.DeleteDir(L"renamed"));
  EXPECT_EQ(ZEL_RESULT_DIR_DELETE, ftp.DeleteDir(L"renamed"));
  EXPECT_EQ(ZEL_RESULT_DIR_CREATE, ftp.CreateDir(L"line\r\nDELE x", FALSE));
  ftp.Disconnect();
  EXPECT_EQ(ZEL_RESULT_NOT_CONNECTED, ftp.CreateFileW(L"a"));
  EXPECT_EQ(ZEL_RESULT_NOT_CONNECTED, ftp.DeleteDir(L"a"));
}

TEST(FtpConnect, Ipv6AndPassiveFallback) {
  FtpServer::Options o;
  o.bIpv6 = true;
  o.bNoActive = true;
  FtpServer server(o);
  TempDir local;
  ZELFtp ftp;
  ASSERT_EQ(0, ftp.Connect(server.url().c_str(), L"zel", L"zel", server.port()));
  EXPECT_EQ(CString(L"::1"), ftp.GetServerName());
  WriteFileBytes(local.file("v6.txt"), "over IPv6, passive");
  EXPECT_EQ(0, ftp.PutFile(local.wfile("v6.txt").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ("over IPv6, passive", ReadFileBytes(server.file("v6.txt")));
  ZELFtpItem item;
  EXPECT_EQ(0, ftp.GetFirstItem(item));
  EXPECT_EQ(CString(L"v6.txt"), item.m_strName);
}

TEST(FtpConnect, Ipv6Active) {
  FtpServer::Options o;
  o.bIpv6 = true;
  FtpServer server(o);
  ZELFtp ftp;
  ASSERT_EQ(0, ftp.Connect(server.url().c_str(), L"zel", L"zel", server.port()));
  ASSERT_EQ(0, ftp.CreateFileW(L"made over EPRT"));
  ZELFtpItem item;
  EXPECT_EQ(0, ftp.GetFirstItem(item));
  EXPECT_EQ(CString(L"made over EPRT"), item.m_strName);
}

}  // namespace
