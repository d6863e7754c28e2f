#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "platform/mfc/File.h"

namespace {

CString W(const std::string& s) { return CString(s.c_str()); }

// Opens and answers the cause, or none.
int OpenCause(const CString& path, UINT flags, LONG* osError = nullptr) {
  CFile f;
  CFileException e;
  if (f.Open(path, flags, &e)) return CFileException::none;
  if (osError) *osError = e.m_lOsError;
  EXPECT_EQ(e.m_strFileName, path);
  return e.m_cause;
}

}  // namespace

TEST(CFile, OpenFailuresCarryCauseAndOsError) {
  zeltest::TempDir dir;
  LONG os = 0;
  EXPECT_EQ(OpenCause(W(dir.file("missing.bin")), CFile::modeRead, &os), CFileException::fileNotFound);
  EXPECT_EQ(os, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenCause(W(dir.file("no/such/dir.bin")), CFile::modeCreate | CFile::modeWrite, &os),
            CFileException::badPath);
  EXPECT_EQ(os, ERROR_PATH_NOT_FOUND);
  // A folder opened as a file is refused, as the system refuses it.
  EXPECT_EQ(OpenCause(W(dir.path()), CFile::modeRead, &os), CFileException::accessDenied);
  EXPECT_EQ(os, ERROR_ACCESS_DENIED);
  zeltest::WriteFileBytes(dir.file("plain"), "x");
  EXPECT_EQ(OpenCause(W(dir.file("plain/inside")), CFile::modeRead, &os), CFileException::badPath);
  EXPECT_EQ(os, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(OpenCause(CString(), CFile::modeRead), CFileException::badPath);
  EXPECT_EQ(OpenCause(W(dir.file("plain")), 3), CFileException::genericException);
}

TEST(CFile, PermissionRefusal) {
  zeltest::TempDir dir;
  zeltest::WriteFileBytes(dir.file("locked"), "x");
  ASSERT_EQ(chmod(dir.file("locked").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  CString path = W(dir.file("locked"));
  if (geteuid() != 0) {
    EXPECT_EQ(OpenCause(path, CFile::modeRead), CFileException::accessDenied);
    return;
  }
  // Root reads anything; the refusal is seen by a child that gave up root.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    CFile f;
    CFileException e;
    bool refused = !f.Open(path, CFile::modeRead, &e) && e.m_cause == CFileException::accessDenied &&
                   e.m_lOsError == ERROR_ACCESS_DENIED;
    _exit(refused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(CFile, FifoOpensWithoutHanging) {
  zeltest::TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  CFile f;
  EXPECT_TRUE(f.Open(W(dir.file("pipe")), CFile::modeRead));
}

TEST(CFile, ReadWriteSeekLength) {
  zeltest::TempDir dir;
  CString path = W(dir.file("data.bin"));
  CFile f;
  ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary));
  EXPECT_EQ(f.GetFileName(), L"data.bin");
  EXPECT_EQ(f.GetFileTitle(), L"data");
  EXPECT_EQ(f.GetFilePath(), path);
  f.Write("hello world", 11);
  EXPECT_EQ(f.GetLength(), 11u);
  EXPECT_EQ(f.GetPosition(), 11u);
  f.SeekToBegin();
  char buf[32] = {};
  EXPECT_EQ(f.Read(buf, sizeof buf), 11u);
  EXPECT_STREQ(buf, "hello world");
  EXPECT_EQ(f.Read(buf, sizeof buf), 0u);  // the end is not an error
  EXPECT_EQ(f.Seek(-5, CFile::end), 6u);
  f.SetLength(3);
  EXPECT_EQ(f.SeekToEnd(), 3u);
  f.Flush();
  f.Close();
  EXPECT_EQ(zeltest::ReadFileBytes(dir.file("data.bin")), "hel");
  // modeNoTruncate keeps the content.
  ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
  EXPECT_EQ(f.GetLength(), 3u);
}

TEST(CFile, FailuresThrowFileExceptions) {
  zeltest::TempDir dir;
  CFile f;
  ASSERT_TRUE(f.Open(W(dir.file("a")), CFile::modeCreate | CFile::modeWrite));
  try {
    f.Seek(-1, CFile::begin);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::badSeek);
    EXPECT_EQ(e->m_lOsError, ERROR_NEGATIVE_SEEK);
    EXPECT_NE(e->GetErrorMessage().Find(L"a"), -1);
    wchar_t msg[8];
    EXPECT_TRUE(e->GetErrorMessage(msg, 8));
    EXPECT_EQ(wcslen(msg), 7u);
    e->Delete();
  }
  char c;
  try {
    f.Read(&c, 1);  // opened for writing only
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::invalidFile);
    e->Delete();
  }
  f.Close();
  try {
    f.Write("x", 1);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_lOsError, ERROR_INVALID_HANDLE);
    e->Delete();
  }
  try {
    CFile missing(W(dir.file("none")).GetString(), CFile::modeRead);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    e->Delete();
  }
}

TEST(CFile, DiskFullIsReported) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  CFile f;
  ASSERT_TRUE(f.Open(L"/dev/full", CFile::modeWrite));
  try {
    f.Write("x", 1);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::diskFull);
    EXPECT_EQ(e->m_lOsError, ERROR_DISK_FULL);
    e->Delete();
  }
}

TEST(CStdioFile, TextLinesInUtf8) {
  zeltest::TempDir dir;
  CString path = W(dir.file("t.txt"));
  {
    CStdioFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    f.WriteString(L"caf\x00E9\n");
    f.WriteString(L"second");
  }
  EXPECT_EQ(zeltest::ReadFileBytes(dir.file("t.txt")), "caf\xC3\xA9\nsecond");
  zeltest::WriteFileBytes(dir.file("crlf.txt"), "one\r\ntwo\xFF\n\nlast");
  CStdioFile f;
  ASSERT_TRUE(f.Open(W(dir.file("crlf.txt")), CFile::modeRead | CFile::typeText));
  CString line;
  std::vector<std::wstring> lines;
  while (f.ReadString(line)) lines.push_back(line.str());
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"one", L"two\xFFFD", L"", L"last"}));
  EXPECT_FALSE(f.ReadString(line));
  EXPECT_TRUE(line.IsEmpty());
  // A short buffer takes the line in pieces, keeping its "\n".
  f.SeekToBegin();
  wchar_t buf[3];
  ASSERT_NE(f.ReadString(buf, 3), nullptr);
  EXPECT_STREQ(buf, L"on");
  ASSERT_NE(f.ReadString(buf, 3), nullptr);
  EXPECT_STREQ(buf, L"e\n");
}

TEST(CStdioFile, BinaryModeKeepsCarriageReturns) {
  zeltest::TempDir dir;
  zeltest::WriteFileBytes(dir.file("b"), "a\r\nb");
  CStdioFile f(W(dir.file("b")), CFile::modeRead | CFile::typeBinary);
  CString line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, L"a\r");
  EXPECT_EQ(f.GetLength(), 4u);
}
