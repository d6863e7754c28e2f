#include <sys/stat.h>

#include "FtpTestUtil.h"
#include "ZELGF.h"
#include "ZELResult.h"
#include "support/FakeFtpServer.h"

namespace {

using namespace zeltest;

using FtpDirTransfer = FtpFixture;

TEST_F(FtpDirTransfer, PutDirSendsOnlyTheFolderOwnFiles) {
  ::mkdir(local.file("up").c_str(), 0755);
  ::mkdir(local.file("up/sub").c_str(), 0755);
  WriteFileBytes(local.file("up/a"), "aa");
  WriteFileBytes(local.file("up/b"), "bbb");
  WriteFileBytes(local.file("up/sub/c"), "c");
  ::mkdir(server.file("up").c_str(), 0755);
  Recorder rec;
  ASSERT_EQ(0, ftp.PutDir(local.wfile("up").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, &rec));
  EXPECT_EQ("aa", ReadFileBytes(server.file("up/a")));
  EXPECT_EQ("bbb", ReadFileBytes(server.file("up/b")));
  struct stat st;
  EXPECT_NE(0, ::stat(server.file("up/sub").c_str(), &st));
  EXPECT_EQ(2, rec.seen.back().progress.nFileCount);
  EXPECT_EQ(2, rec.seen.back().progress.nFileIndex);
  EXPECT_EQ(5, rec.seen.back().progress.llTotalDone);
  EXPECT_EQ(100, rec.seen.back().progress.nTotalPercent);
}

TEST_F(FtpDirTransfer, FailingSecondOfThreeEndsTheTransfer) {
  ::mkdir(local.file("up").c_str(), 0755);
  for (const char* n : {"a", "b", "c"}) WriteFileBytes(local.file(std::string("up/") + n), n);
  ::mkdir(server.file("dst").c_str(), 0755);
  CStringArray order;
  ZELGF::GetDirInfo(local.wfile("up").c_str(), NULL, NULL, &order, 0, NULL);
  ASSERT_EQ(3, order.GetSize());
  // The second file's remote name is taken by a folder.
  std::string second = ZELGF::ExtractName(order[1]).ToUtf8();
  ::mkdir(server.file("dst/" + second).c_str(), 0755);
  EXPECT_EQ(ZEL_RESULT_REMOTE_OPEN, ftp.PutDirEx(local.wfile("up").c_str(), L"dst", TRUE, 2, NULL));
  EXPECT_EQ(ZELGF::ExtractName(order[0]).ToUtf8(), ReadFileBytes(server.file("dst/" + ZELGF::ExtractName(order[0]).ToUtf8())));
  struct stat st;
  EXPECT_NE(0, ::stat(server.file("dst/" + ZELGF::ExtractName(order[2]).ToUtf8()).c_str(), &st));
  EXPECT_FALSE(ftp.IsProcessing());
}

TEST_F(FtpDirTransfer, GetDirFetchesPlainFilesAndRestoresTheFolder) {
  ::mkdir(server.file("pub").c_str(), 0755);
  ::mkdir(server.file("pub/src").c_str(), 0755);
  ::mkdir(server.file("pub/src/deeper").c_str(), 0755);
  ::mkdir(server.file("pub/empty").c_str(), 0755);
  WriteFileBytes(server.file("pub/src/one"), "1");
  WriteFileBytes(server.file("pub/src/two words"), "22");
  ASSERT_EQ(0, ftp.SetRemoteDir(L"/pub"));
  Recorder rec;
  ASSERT_EQ(0, ftp.GetDirEx(L"src", local.wfile("got").c_str(), TRUE, 2, &rec));
  EXPECT_EQ("1", ReadFileBytes(local.file("got/one")));
  EXPECT_EQ("22", ReadFileBytes(local.file("got/two words")));
  EXPECT_EQ(ZELFTP_NOTIFY_DIR_PROGRESS, rec.seen.back().nKind);
  EXPECT_EQ(CString(L"/pub"), ftp.GetRemoteDir());
  EXPECT_EQ(0, ftp.GetDirEx(L"empty", local.wfile("none").c_str(), TRUE, 2, NULL));
  EXPECT_EQ(CString(L"/pub"), ftp.GetRemoteDir());
  EXPECT_EQ(ZEL_RESULT_INVALID_NAME, ftp.GetDirEx(L"missing", local.wfile("none").c_str(), TRUE, 2, NULL));
  EXPECT_EQ(845, ftp.GetLog(ftp.GetLogCount() - 1).nLine);
}

// A server listing names that point elsewhere: nothing lands outside the
// target folder.
TEST(FtpHostileDir, ListedNamesStayInsideTheTarget) {
  FakeFtpServer fake;
  fake.On("PWD", [](FakeFtpServer::Session& s, const std::string&) { s.Send("257 \"/d\"\r\n"); });
  fake.On("SIZE", [](FakeFtpServer::Session& s, const std::string&) { s.Send("213 3\r\n"); });
  fake.On("LIST", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("150 listing\r\n");
    s.SendData(
        "-rw-r--r-- 1 a b 3 Jan  1  2020 ../x\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 /tmp/zelftp-escape\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 a\\..\\..\\y\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 ok\r\n");
    s.Send("226 done\r\n");
  });
  fake.On("RETR", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("150 sending\r\n");
    s.SendData("abc");
    s.Send("226 done\r\n");
  });
  fake.Start();
  TempDir local;
  ZELFtp ftp;
  ASSERT_EQ(0, ftp.Connect(L"ftp://127.0.0.1/", L"u", L"p", fake.port()));
  ::mkdir(local.file("in").c_str(), 0755);
  ASSERT_EQ(0, ftp.GetDirEx(L"/d", local.wfile("in/target").c_str(), TRUE, 2, NULL));
  EXPECT_EQ("abc", ReadFileBytes(local.file("in/target/ok")));
  struct stat st;
  EXPECT_NE(0, ::stat(local.file("in/x").c_str(), &st));
  EXPECT_NE(0, ::stat(local.file("x").c_str(), &st));
  EXPECT_NE(0, ::stat("/tmp/zelftp-escape", &st));
  EXPECT_NE(0, ::stat(local.file("in/target/a\\..\\..\\y").c_str(), &st));
  EXPECT_EQ(std::string::npos, fake.Log().find("RETR ../x"));
}

}  // namespace
