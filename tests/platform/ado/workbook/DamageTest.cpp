// Damaged workbooks fail to connect with a description; none crashes,
// hangs or allocates beyond the file's size.
#include "WorkbookTest.h"

#include "platform/ado/workbook/ByteIo.h"

#include <random>

namespace wbtest {
namespace {

using zelado::workbook::Get32;
using zelado::workbook::Put32;

// Connects and reads every sheet; answers the description of the failure
// (empty when the workbook read cleanly).
std::wstring ReadAll(const std::string& path) {
  return DescriptionOf([&] {
    _ConnectionPtr c = adotest::Connect(ExcelText(path));
    for (const wchar_t* sheet : {L"Data", L"Notes", L"Long"}) {
      try {
        _RecordsetPtr rs = Open(c, (std::wstring(L"SELECT * FROM [") + sheet + L"$]").c_str(), adOpenStatic, adLockReadOnly);
      } catch (const _com_error& e) {
        if (e.Error() != ZEL_ADO_E_NOTABLE) throw;
      }
    }
  });
}

TEST_F(WorkbookTest, LoopingAndOutOfRangeChains) {
  std::string good = zeltest::ReadFileBytes(m_people), path = m_dir.file("bad.xls");
  size_t fat = (size_t(Get32(good, 0x4C)) + 1) * 512;
  uint32_t dir = Get32(good, 0x30);
  std::string looping = good;
  Put32(looping, fat + dir * 4, dir);  // the directory's sector leads to itself
  zeltest::WriteFileBytes(path, looping);
  EXPECT_NE(std::wstring::npos, ReadAll(path).find(L"loop"));
  std::string outside = good;
  Put32(outside, 0x30, 0x00FFFFFF);  // the directory starts far past the end
  zeltest::WriteFileBytes(path, outside);
  EXPECT_NE(std::wstring::npos, ReadAll(path).find(L"damaged"));
  std::string manyFat = good;
  Put32(manyFat, 0x2C, 0x7FFFFFFF);  // more FAT sectors than the file could hold
  zeltest::WriteFileBytes(path, manyFat);
  EXPECT_NE(std::wstring::npos, ReadAll(path).find(L"damaged"));
}

TEST_F(WorkbookTest, TruncatedFiles) {
  std::string good = zeltest::ReadFileBytes(m_people), path = m_dir.file("cut.xls");
  for (size_t n : {size_t(100), size_t(512), size_t(1024), good.size() / 2, good.size() - 700}) {
    zeltest::WriteFileBytes(path, good.substr(0, n));
    EXPECT_NE(L"", ReadAll(path)) << n;
  }
}

// Random damage anywhere: every outcome is a clean read or a described
// failure.
TEST_F(WorkbookTest, RandomDamage) {
  std::string good = zeltest::ReadFileBytes(m_people), path = m_dir.file("noise.xls");
  std::mt19937 random(12);
  for (int round = 0; round < 150; ++round) {
    std::string bad = good;
    for (int k = 0; k < 1 + round % 8; ++k) bad[random() % bad.size()] = static_cast<char>(random());
    zeltest::WriteFileBytes(path, bad);
    ReadAll(path);
  }
}

}  // namespace
}  // namespace wbtest
