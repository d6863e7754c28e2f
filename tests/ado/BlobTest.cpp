// Long binary fields to and from files.
#include "AdoTest.h"
#include <filesystem>

#include "ZELResult.h"
#include "platform/mfc/File.h"
#include "support/SmallDisk.h"

class AdoBlobTest : public AdoTest {
protected:
  void SetUp() override {
    AdoTest::SetUp();
    Prepare(m_ado, {(std::wstring(L"CREATE TABLE b (id INTEGER PRIMARY KEY, data ") + BlobType() + L", note TEXT, n INTEGER)").c_str(),
                    L"INSERT INTO b (id, n) VALUES (1, 5)"});
    OpenRow();
  }
  void OpenRow() { ASSERT_EQ(1, m_ado.OpenRecordset(L"SELECT * FROM b WHERE id = 1", adOpenKeyset, adLockOptimistic)); }
  // Puts bytes into the data field through a file, saves, and reopens.
  void Store(const std::string& bytes) {
    zeltest::WriteFileBytes(m_dir.file("in.bin"), bytes);
    ASSERT_EQ(1, m_ado.FileToBlob(L"data", m_dir.wfile("in.bin").c_str())) << LastLog(m_ado);
    ASSERT_EQ(1, m_ado.Update()) << LastLog(m_ado);
    OpenRow();
  }
  static std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
  }
  ZELAdo m_ado;
};

TEST_P(AdoBlobTest, RoundTripsAcrossChunkBoundaries) {
  // 2500 bytes leave in chunks of 1024, 1024 and 452; 1025 arrive as 1024
  // and 1; both must come back byte for byte, in each key form.
  for (size_t size : {size_t(2500), size_t(1025), size_t(1024), size_t(1)}) {
    std::string bytes = Pattern(size);
    Store(bytes);
    ASSERT_EQ(1, m_ado.BlobToFile(L"data", m_dir.wfile("by-name.bin").c_str())) << LastLog(m_ado);
    OpenRow();
    ASSERT_EQ(1, m_ado.BlobToFile(1, m_dir.wfile("by-index.bin").c_str()));
    EXPECT_EQ(bytes, zeltest::ReadFileBytes(m_dir.file("by-name.bin"))) << size;
    EXPECT_EQ(bytes, zeltest::ReadFileBytes(m_dir.file("by-index.bin"))) << size;
  }
  // Seen by another connection too.
  ZELAdo other;
  ASSERT_EQ(1, other.Connect(ConnText().c_str()));
  ASSERT_EQ(1, other.OpenRecordset(L"SELECT length(data) FROM b", adOpenForwardOnly, adLockReadOnly));
  long n = 0;
  other.GetFieldValueByIndex(0, n);
  EXPECT_EQ(1, n);
  EXPECT_EQ(0, m_ado.GetLogCount()) << LastLog(m_ado);
}

TEST_P(AdoBlobTest, EveryFormWritesTheWholeFieldAgain) {
  Store(Pattern(2500));
  ASSERT_EQ(1, m_ado.BlobToFile(1L, m_dir.wfile("pos.bin").c_str()));
  ASSERT_EQ(1, m_ado.BlobToFile(L"data", m_dir.wfile("name.bin").c_str()));
  ASSERT_EQ(1, m_ado.BlobToFile(_variant_t(L"data"), m_dir.wfile("key.bin").c_str()));
  for (const char* f : {"pos.bin", "name.bin", "key.bin"}) EXPECT_EQ(Pattern(2500), zeltest::ReadFileBytes(m_dir.file(f))) << f;
}

TEST_P(AdoBlobTest, EmptyValues) {
  // A null field and a field of 0 bytes both give an empty file.
  ASSERT_EQ(1, m_ado.BlobToFile(L"data", m_dir.wfile("null.bin").c_str())) << LastLog(m_ado);
  EXPECT_EQ("", zeltest::ReadFileBytes(m_dir.file("null.bin")));
  ASSERT_EQ(1, m_ado.ExecuteSQL(Pg() ? L"UPDATE b SET data = ''::bytea WHERE id = 1" : L"UPDATE b SET data = x'' WHERE id = 1"));
  OpenRow();
  ASSERT_EQ(1, m_ado.BlobToFile(_variant_t(L"data"), m_dir.wfile("empty.bin").c_str()));
  EXPECT_EQ("", zeltest::ReadFileBytes(m_dir.file("empty.bin")));
  // An empty file appends nothing: the field keeps what it held.
  Store(Pattern(300));
  Store("");
  ASSERT_EQ(1, m_ado.BlobToFile(L"data", m_dir.wfile("kept.bin").c_str()));
  EXPECT_EQ(Pattern(300), zeltest::ReadFileBytes(m_dir.file("kept.bin")));
}

TEST_P(AdoBlobTest, NotABlobField) {
  for (const wchar_t* name : {L"n", L"missing"}) {
    EXPECT_EQ(0, m_ado.BlobToFile(name, m_dir.wfile("never.bin").c_str()));
    EXPECT_EQ(0, m_ado.FileToBlob(name, m_dir.wfile("never.bin").c_str()));
    ASSERT_EQ(2, m_ado.GetLogCount());
    const ZEL_LOG_RECORD& r = m_ado.GetLog(0);
    EXPECT_TRUE(r.bWarning);
    EXPECT_EQ(0, r.nCategory);
    EXPECT_EQ(ZELResult::GetResultString(-606), r.strText);
    EXPECT_EQ(CString(L"NOT BLOB"), r.strDetail);
    EXPECT_EQ(1, r.nFlag);
    m_ado.ClearLog();
  }
  EXPECT_FALSE(std::filesystem::exists(m_dir.file("never.bin"))) << "no file is made";
}

// Checks the one file-error record and clears the log.
static void ExpectFileError(ZELAdo& ado, long category, long cause, int line, const wchar_t* function,
                            const wchar_t* file) {
  ASSERT_EQ(1, ado.GetLogCount());
  const ZEL_LOG_RECORD& r = ado.GetLog(0);
  EXPECT_EQ(4, r.nType);
  EXPECT_EQ(category, r.nCategory);
  EXPECT_EQ(cause, r.nCode);
  EXPECT_EQ(line, r.nLine);
  EXPECT_EQ(CString(function), r.strFunction);
  EXPECT_NE(-1, r.strDetail.Find(file));
  ado.ClearLog();
}

TEST_P(AdoBlobTest, FileErrorsCarryTheirCause) {
  EXPECT_EQ(0, m_ado.FileToBlob(L"data", m_dir.wfile("missing.bin").c_str()));
  ExpectFileError(m_ado, 0, 2 /* file not found */, 1680, L"ZELAdo::FileToBlob", L"missing.bin");
  EXPECT_EQ(0, m_ado.BlobToFile(L"data", m_dir.wfile("no/such/folder/out.bin").c_str()));
  ExpectFileError(m_ado, 2, 3 /* bad path */, 1260, L"ZELAdo::BlobToFile", L"out.bin");
  // A folder is no file to read.
  EXPECT_EQ(0, m_ado.FileToBlob(L"data", m_dir.wfile("").c_str()));
  ASSERT_EQ(1, m_ado.GetLogCount());
  EXPECT_EQ(4, m_ado.GetLog(0).nType);
  EXPECT_EQ(1, m_ado.IsConnected());
}

TEST_P(AdoBlobTest, LongTextFieldIsWrittenAsUtf8) {
  std::wstring sql = L"UPDATE b SET note = 'caf\u00e9 " + std::wstring(1400, L'0') + L"' WHERE id = 1";
  ASSERT_EQ(1, m_ado.ExecuteSQL(sql.c_str()));
  OpenRow();
  _variant_t v;
  // Only a field the engine marks as long data qualifies; when this one is
  // not, the warning is the answer.
  if (m_ado.BlobToFile(L"note", m_dir.wfile("note.txt").c_str())) {
    std::string text = zeltest::ReadFileBytes(m_dir.file("note.txt"));
    EXPECT_EQ("caf\xc3\xa9 ", text.substr(0, 6));
    EXPECT_EQ(6u + 1400u, text.size());
  } else {
    EXPECT_TRUE(m_ado.GetLog(0).bWarning);
  }
}

TEST_P(AdoBlobTest, AFailedWriteLeavesTheFileAsItWas) {
  zeltest::SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): full-disk case not run";
  Store(Pattern(200000));
  zeltest::WriteFileBytes(disk.file("out.bin"), "old");
  disk.Fill();
  EXPECT_EQ(0, m_ado.BlobToFile(L"data", disk.wfile("out.bin").c_str()));
  ASSERT_EQ(1, m_ado.GetLogCount());
  EXPECT_EQ(ZEL_LOG_FILEERROR, m_ado.GetLog(0).nType);
  EXPECT_EQ(CFileException::diskFull, m_ado.GetLog(0).nCode);
  EXPECT_EQ("old", zeltest::ReadFileBytes(disk.file("out.bin")));
}

ZEL_BOTH_ENGINES(AdoBlobTest);
