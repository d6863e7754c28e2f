#include <sys/stat.h>

#include <chrono>
#include <random>

#include "FtpTestUtil.h"
#include "ZELResult.h"

namespace {

using namespace zeltest;

std::string Bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

using FtpTransfer = FtpFixture;

TEST_F(FtpTransfer, BothWaysByteExactAroundTheChunkSize) {
  for (size_t n : {0u, 1u, 4095u, 4096u, 4097u}) {
    std::string name = "f" + std::to_string(n), data = Bytes(n, static_cast<unsigned>(n));
    WriteFileBytes(local.file(name), data);
    ASSERT_EQ(0, ftp.PutFile(local.wfile(name).c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL)) << n;
    EXPECT_EQ(data, ReadFileBytes(server.file(name))) << n;
    std::string back = local.file("back/" + name);
    ASSERT_EQ(0, ftp.GetFileEx(W(name).c_str(), W(back).c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL)) << n;
    EXPECT_EQ(data, ReadFileBytes(back)) << n;
  }
  EXPECT_EQ(0, ftp.GetLogCount());
}

TEST_F(FtpTransfer, FiftyMegabytesBothWays) {
  std::string data = Bytes(50u << 20, 50);
  WriteFileBytes(local.file("big"), data);
  Recorder rec;
  ASSERT_EQ(0, ftp.PutFileEx(local.wfile("big").c_str(), L"big.bin", TRUE, FTP_TRANSFER_TYPE_BINARY, &rec));
  EXPECT_EQ(data, ReadFileBytes(server.file("big.bin")));
  ASSERT_EQ(0, ftp.GetFileEx(L"big.bin", local.wfile("big.back").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, &rec));
  EXPECT_EQ(data, ReadFileBytes(local.file("big.back")));
  EXPECT_EQ(100, rec.seen.back().progress.nTotalPercent);
  EXPECT_EQ(static_cast<LONGLONG>(data.size()), rec.seen.back().progress.llTotalSize);
}

TEST_F(FtpTransfer, ProgressOfTenThousandBytes) {
  WriteFileBytes(local.file("a.txt"), Bytes(10000, 1));
  Recorder rec;
  ASSERT_EQ(0, ftp.PutFile(local.wfile("a.txt").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, &rec));
  ASSERT_EQ(3u, rec.seen.size());
  const int percents[] = {40, 81, 100};
  const LONGLONG done[] = {4096, 8192, 10000};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ZELFTP_NOTIFY_PROGRESS, rec.seen[i].nKind);
    EXPECT_EQ(percents[i], rec.seen[i].progress.nFilePercent);
    EXPECT_EQ(percents[i], rec.seen[i].progress.nTotalPercent);
    EXPECT_EQ(done[i], rec.seen[i].progress.llFileDone);
    EXPECT_EQ(1, rec.seen[i].progress.nFileIndex);
    EXPECT_EQ(CString(local.wfile("a.txt").c_str()), rec.seen[i].progress.strName);
  }
  // Into the remote folder under the file's own name.
  EXPECT_EQ(10000u, ReadFileBytes(server.file("a.txt")).size());
}

TEST_F(FtpTransfer, CancelAfterTheFirstChunkLeavesItBothWays) {
  WriteFileBytes(local.file("a.txt"), Bytes(10000, 2));
  Recorder up;
  up.cancelAt = 1;
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(2, ftp.PutFile(local.wfile("a.txt").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, &up));
  EXPECT_EQ(4096u, ReadFileBytes(server.file("a.txt")).size());
  WriteFileBytes(server.file("big"), Bytes(8u << 20, 3));
  Recorder down;
  down.cancelAt = 1;
  EXPECT_EQ(2, ftp.GetFileEx(L"big", local.wfile("part").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, &down));
  EXPECT_EQ(4096u, ReadFileBytes(local.file("part")).size());
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 5.0);
  EXPECT_EQ(0, ftp.GetLogCount());
  EXPECT_FALSE(ftp.IsProcessing());
  // The connection goes on after a cancelled download.
  EXPECT_EQ(0, ftp.CreateDir(L"after", FALSE));
}

TEST_F(FtpTransfer, KeptFilesSendNothingAndSayWhy) {
  WriteFileBytes(local.file("a.txt"), "new");
  WriteFileBytes(server.file("a.txt"), "old!");
  Recorder rec;
  EXPECT_EQ(0, ftp.PutFile(local.wfile("a.txt").c_str(), FALSE, FTP_TRANSFER_TYPE_BINARY, &rec));
  EXPECT_EQ("old!", ReadFileBytes(server.file("a.txt")));
  ASSERT_EQ(2u, rec.seen.size());
  EXPECT_EQ(ZELFTP_NOTIFY_KEPT, rec.seen[0].nKind);
  EXPECT_EQ(ZELFTP_NOTIFY_PROGRESS, rec.seen[1].nKind);
  EXPECT_EQ(rec.seen[1].progress.llFileSize, rec.seen[1].progress.llTotalDone);
  // Answering 2 to the kept notice cancels.
  Recorder stop;
  stop.cancelAt = 1;
  EXPECT_EQ(2, ftp.GetFileEx(L"a.txt", local.wfile("a.txt").c_str(), FALSE, FTP_TRANSFER_TYPE_BINARY, &stop));
  EXPECT_EQ("new", ReadFileBytes(local.file("a.txt")));
  EXPECT_EQ(0, ftp.GetFileEx(L"a.txt", local.wfile("a.txt").c_str(), FALSE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ(0, ftp.GetFileEx(L"a.txt", local.wfile("a.txt").c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ("old!", ReadFileBytes(local.file("a.txt")));
}

TEST_F(FtpTransfer, DefaultLocalFolderAndRefusals) {
  ::mkdir(server.file("pub").c_str(), 0755);
  WriteFileBytes(server.file("pub/a.txt"), "abc");
  ftp.SetLocalDir(local.wfile("dl").c_str());
  ftp.SetLocalDir(L"");  // not a path: kept as it was
  EXPECT_EQ(CString(local.wfile("dl").c_str()), ftp.GetLocalDir());
  ASSERT_EQ(0, ftp.GetFile(L"/pub/a.txt", TRUE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ("abc", ReadFileBytes(local.file("dl/pub/a.txt")));
  EXPECT_EQ(ZEL_RESULT_REMOTE_OPEN, ftp.GetFile(L"/pub/none.txt", TRUE, FTP_TRANSFER_TYPE_BINARY, NULL));
  EXPECT_EQ(631, ftp.GetLog(ftp.GetLogCount() - 1).nLine);
  EXPECT_EQ(ZEL_RESULT_FILE_MISSING, ftp.PutFile(local.wfile("none").c_str(), TRUE, 2, NULL));
  WriteFileBytes(local.file("x"), "x");
  // A remote name that is a folder cannot take a file.
  EXPECT_EQ(ZEL_RESULT_REMOTE_OPEN, ftp.PutFileEx(local.wfile("x").c_str(), L"pub", TRUE, 2, NULL));
  EXPECT_EQ(497, ftp.GetLog(ftp.GetLogCount() - 1).nLine);
  ftp.Disconnect();
  EXPECT_EQ(ZEL_RESULT_NOT_CONNECTED, ftp.GetFile(L"a", TRUE, 2, NULL));
  EXPECT_EQ(ZEL_RESULT_NOT_CONNECTED, ftp.PutFile(local.wfile("x").c_str(), TRUE, 2, NULL));
}

TEST_F(FtpTransfer, ServerDroppingMidTransferIsACleanError) {
  WriteFileBytes(server.file("big"), Bytes(50u << 20, 4));
  Recorder rec;
  rec.onCall = [&](size_t n) {
    if (n == 1) server.Kill();
  };
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(ZEL_RESULT_FILE_CREATE, ftp.GetFileEx(L"big", local.wfile("big").c_str(), TRUE, 2, &rec));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 25.0);
  EXPECT_EQ(622, ftp.GetLog(ftp.GetLogCount() - 1).nLine);
  EXPECT_EQ(ZEL_CATEGORY_SYSTEM, ftp.GetLog(ftp.GetLogCount() - 1).nCategory);
  EXPECT_FALSE(ftp.IsProcessing());
}

}  // namespace
