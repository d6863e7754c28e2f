// A sheet's part read from its bytes: the cell grid when cells come out of
// order, and the part kept as bytes (positions moved in place) until a
// rewrite splits it.
#include "WorkbookTest.h"

#include "platform/ado/workbook/ByteIo.h"
#include "platform/ado/workbook/CompoundFile.h"
#include "platform/ado/workbook/PartRecords.h"
#include "platform/ado/workbook/SheetCells.h"
#include "platform/ado/workbook/Workbook.h"

namespace wbtest {
namespace {

using namespace zelado::workbook;

void AddRecord(std::string& part, uint16_t type, const std::string& data) {
  Add16(part, type);
  Add16(part, static_cast<uint16_t>(data.size()));
  part += data;
}

std::string Number(uint16_t row, uint16_t col, double v) {
  std::string d;
  Add16(d, row);
  Add16(d, col);
  Add16(d, 0);
  AddDouble(d, v);
  return d;
}

// Cells in a writer's order or none: rows revisited, a wide row between
// narrow ones, a run past the grid's last column.
TEST(WorkbookLayout, CellsOutOfOrderLandWhereTheySay) {
  std::string part, bof;
  for (uint16_t w : {0x0600, 0x0010, 0, 0}) Add16(bof, w);
  AddRecord(part, kBof, bof);
  AddRecord(part, kNumber, Number(2, 3, 23));
  AddRecord(part, kNumber, Number(0, 0, 0));
  AddRecord(part, kNumber, Number(2, 1, 21));
  std::string run;  // MULBLANK on row 1 from column 250 to 257
  Add16(run, 1);
  Add16(run, 250);
  for (int i = 0; i < 8; ++i) Add16(run, 0);
  Add16(run, 257);
  AddRecord(part, kMulBlank, run);
  AddRecord(part, kNumber, Number(0, 5, 5));
  AddRecord(part, kNumber, Number(7, 0, 70));
  AddRecord(part, kNumber, Number(2, 0, 20));
  AddRecord(part, kEof, "");
  SheetCells cells;
  cells.Parse(part);
  EXPECT_EQ(8u, cells.RowEnd());
  EXPECT_EQ(256u, cells.ColEnd());
  struct Want { uint32_t row, col; double v; } wants[] = {{0, 0, 0}, {0, 5, 5}, {2, 0, 20}, {2, 1, 21}, {2, 3, 23}, {7, 0, 70}};
  for (const Want& w : wants) {
    const Cell* c = cells.At(w.row, w.col);
    ASSERT_TRUE(c) << w.row << "," << w.col;
    EXPECT_EQ(Cell::Number, c->kind);
    EXPECT_EQ(w.v, c->num);
  }
  for (uint32_t col = 250; col < 256; ++col) EXPECT_EQ(Cell::Blank, cells.At(1, col)->kind) << col;
  EXPECT_EQ(nullptr, cells.At(1, 249));
  EXPECT_EQ(nullptr, cells.At(2, 2));
  EXPECT_EQ(nullptr, cells.At(0, 1));
  EXPECT_EQ(nullptr, cells.At(5, 0));
}

// An INDEX record's positions move the same whether the part is still its
// bytes or already split into records.
TEST(WorkbookLayout, IndexMovesAlikeInBytesAndRecords) {
  std::string part, index;
  AddRecord(part, kBof, std::string(16, '\0'));
  for (uint32_t v : {0u, 1u, 3u, 0u, 1000u, 2000u}) Add32(index, v);
  AddRecord(part, kIndex, index);
  AddRecord(part, kEof, "");
  PartRecords bytes = PartRecords::FromBytes(part), split = PartRecords::FromBytes(part);
  split.All();
  EXPECT_TRUE(bytes.Unsplit());
  EXPECT_FALSE(split.Unsplit());
  EXPECT_EQ(part.size(), bytes.ByteSize());
  EXPECT_EQ(part.size(), split.ByteSize());
  bytes.MoveIndex(-24);
  split.MoveIndex(-24);
  std::string a, b;
  bytes.WriteTo(a);
  split.WriteTo(b);
  EXPECT_EQ(a, b);
  EXPECT_EQ(976u, Get32(a, 24 + 16));
  EXPECT_EQ(1976u, Get32(a, 24 + 20));
  EXPECT_EQ(3u, Get32(a, 24 + 8));  // the header before the positions stays
}

// A large stream in one run of the file is left there, named where it
// stands; every other stream is read as before.
TEST(WorkbookLayout, StreamInOneRunIsLeftInTheFile) {
  std::string big, other(70000, 'o');
  for (int i = 0; i < 90000; ++i) big += static_cast<char>('a' + i % 26);
  CompoundFile cf = CompoundFile::Empty();
  cf.AddStream(u"Workbook", big);
  cf.AddStream(u"Other", other);
  cf.AddStream(u"Small", "tiny");
  std::string bytes = cf.Serialize();
  CompoundFile back = CompoundFile::Parse(bytes, u"Workbook");
  const CompoundFile::Entry& w = back.Entries()[back.Find(u"Workbook")];
  ASSERT_NE(SIZE_MAX, w.inFile);
  EXPECT_TRUE(w.data.empty());
  EXPECT_EQ(big, bytes.substr(w.inFile, w.inFileSize));
  EXPECT_EQ(other, back.Entries()[back.Find(u"Other")].data);
  EXPECT_EQ("tiny", back.Entries()[back.Find(u"Small")].data);
  EXPECT_EQ(SIZE_MAX, back.Entries()[back.Find(u"Other")].inFile);
  // Named or not, a stream too small for sectors of its own is read.
  EXPECT_EQ("tiny", CompoundFile::Parse(bytes, u"Small").Entries()[back.Find(u"Small")].data);
}

// A workbook whose second sheet moves when the first grows: that sheet is
// written as the bytes it was read, and its row index points at its row
// blocks where they now stand.
TEST_F(WorkbookTest, UntouchedSheetAfterAGrownOneKeepsItsIndex) {
  std::string one = m_dir.file("One.csv"), two = m_dir.file("Two.csv"), xls = m_dir.file("two.xls");
  std::string rows = "x,y\n";
  for (int i = 0; i < 100; ++i) rows += std::to_string(i) + ",t" + std::to_string(i) + "\n";
  zeltest::WriteFileBytes(one, "a,b\n1,2\n");
  zeltest::WriteFileBytes(two, rows);
  int status = 0;
  std::string out = zeltest::RunShell("ssconvert --merge-to=" + xls + " --export-type=Gnumeric_Excel:excel_biff8 " +
                                          one + " " + two + " 2>&1", &status);
  ASSERT_EQ(0, status) << out;
  {
    _ConnectionPtr c = Connect(xls);
    _RecordsetPtr rs = Open(c, L"SELECT * FROM [One.csv$]", adOpenKeyset, adLockOptimistic);
    rs->GetFields()->GetItem(_variant_t(L"b"))->PutValue(_variant_t(L"a text much longer than the number it replaces"));
    rs->Update(vtMissing, vtMissing);
  }
  std::unique_ptr<Workbook> wb = Workbook::Load(zeltest::ReadFileBytes(xls));
  Sheet& sheet = wb->SheetAt(static_cast<size_t>(wb->FindSheet("Two.csv")));
  size_t at = sheet.oldOffset;
  std::vector<size_t> dbcells, pointed;
  for (const Record& r : sheet.records) {
    if (r.type == kDbCell) dbcells.push_back(at);
    if (r.type == kIndex)
      for (size_t i = 16; i + 4 <= r.data.size(); i += 4) pointed.push_back(Get32(r.data, i));
    at += 4 + r.data.size();
  }
  EXPECT_FALSE(dbcells.empty());
  EXPECT_EQ(dbcells, pointed);
  EXPECT_EQ("100 t99\n", Xlrd(xls, "s = xlrd.open_workbook(path).sheet_by_name('Two.csv')\n"
                                   "print(s.nrows - 1, s.cell_value(100, 1))\n"));
}

}  // namespace
}  // namespace wbtest
