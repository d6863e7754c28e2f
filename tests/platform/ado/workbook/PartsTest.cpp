// The engine's parts on their own: the date formats, the shared string
// table written across records, and the compound file written for streams
// of every size.
#include <gtest/gtest.h>

#include "platform/ado/workbook/CellFormats.h"
#include "platform/ado/workbook/CompoundFile.h"
#include "platform/ado/workbook/SharedStrings.h"
#include "platform/ado/workbook/SheetCells.h"

namespace {

using namespace zelado::workbook;

TEST(WorkbookParts, DateFormats) {
  for (const char* date : {"yyyy-mm-dd hh:mm", "d/m/yy", "[$-409]mmmm d, yyyy", "h:mm AM/PM", "[h]:mm:ss", "mm:ss.0",
                           "dd\\.mm\\.yyyy", "[Red]yyyy-mm-dd"})
    EXPECT_TRUE(IsDateFormat(date)) << date;
  for (const char* other : {"General", "0.00", "#,##0.00", "0.00E+00", "\"days\" 0", "0 \"d\"", "@", "[Red]0.00",
                            "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"})
    EXPECT_FALSE(IsDateFormat(other)) << other;
}

// RK numbers: a 30-bit integer or the top of a double, either one hundredfold.
TEST(WorkbookParts, RkNumbers) {
  EXPECT_EQ(RkValue(7u << 2 | 2), 7.0);
  EXPECT_EQ(RkValue(static_cast<uint32_t>(-3 * 4) | 3), -0.03);
  EXPECT_EQ(RkValue(0x3FF80000u), 1.5);
  EXPECT_EQ(RkValue(0xC0590001u), -100.0 / 100);
  EXPECT_EQ(RkValue(0x3FF80001u), 1.5 / 100);  // the flag bits are no part of the double
}

TEST(WorkbookParts, SharedStringsSplitAcrossRecordsReadBack) {
  SharedStrings sst;
  std::vector<std::string> texts{"short", std::string(9000, 'a'), "caf\xc3\xa9", std::string(5000, 'b') + "\xc4\x81" + std::string(5000, 'c'), ""};
  for (const std::string& t : texts) sst.Intern(t);
  for (int i = 0; i < 3000; ++i) sst.Intern("filler " + std::to_string(i));
  std::vector<Record> records = sst.Build(12345);
  EXPECT_GT(records.size(), 3u);
  for (const Record& r : records) EXPECT_LE(r.data.size(), kMaxRecord);
  SharedStrings back;
  back.Parse(records, 0);
  ASSERT_EQ(sst.Count(), back.Count());
  EXPECT_EQ(12345u, back.Uses());
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], back.Text(i)) << i;
  EXPECT_EQ("filler 2999", back.Text(back.Count() - 1));
}

TEST(WorkbookParts, CompoundFileKeepsEveryStream) {
  CompoundFile cf = CompoundFile::Empty();
  std::vector<std::pair<std::u16string, std::string>> streams{
      {u"Workbook", std::string(70000, 'w')}, {u"\x05SummaryInformation", std::string(300, 's')},
      {u"Empty", std::string()}, {u"Edge", std::string(4096, 'e')}, {u"Small", std::string(4095, 'm')}};
  for (auto& s : streams) cf.AddStream(s.first, s.second);
  // Enough entries for a directory of several sectors; names differ beyond case.
  for (int i = 0; i < 40; ++i) {
    std::string n = "many" + std::to_string(i);
    cf.AddStream(std::u16string(n.begin(), n.end()), std::string(i * 100, 'x'));
  }
  CompoundFile back = CompoundFile::Parse(cf.Serialize());
  for (auto& s : streams) {
    int i = back.Find(s.first);
    ASSERT_GE(i, 0);
    EXPECT_EQ(s.second, back.Entries()[i].data);
  }
  EXPECT_EQ(std::string(3900, 'x'), back.Entries()[back.Find(u"MANY39")].data);
  EXPECT_EQ(-1, back.Find(u"missing"));
}

}  // namespace
