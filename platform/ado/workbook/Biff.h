// The record stream of a workbook: records of a type and up to 8224 bytes,
// a globals part and one part per sheet, each from BOF to EOF. Records past
// that size continue in CONTINUE records; ContinuedReader reads across
// them, including the way text restarts with a new flags byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelado {
namespace workbook {

enum RecordType : uint16_t {
  kFormula = 0x0006, kEof = 0x000A, kDateMode = 0x0022, kContinue = 0x003C, kCodePage = 0x0042,
  kBoundSheet = 0x0085, kMulRk = 0x00BD, kMulBlank = 0x00BE, kLabelSst = 0x00FD, kSst = 0x00FC,
  kExtSst = 0x00FF, kDbCell = 0x00D7, kRString = 0x00D6, kXf = 0x00E0, kBlank = 0x0201, kNumber = 0x0203,
  kLabel = 0x0204, kBoolErr = 0x0205, kString = 0x0207, kRow = 0x0208, kIndex = 0x020B, kDimensions = 0x0200,
  kArray = 0x0221, kRk = 0x027E, kTable = 0x0236, kWindow2 = 0x023E, kFormat = 0x041E, kShrFmla = 0x04BC,
  kBof = 0x0809
};
const size_t kMaxRecord = 8224;

struct Record {
  uint16_t type = 0;
  std::string data;
};

// Where the part begun by the BOF at `at` ends: one past the EOF that
// closes it (nested parts such as embedded charts included). Raises when a
// record runs past the stream or the part does not start with BOF or end.
size_t PartEnd(std::string_view stream, size_t at);
// The records from `at` to PartEnd; `at` moves past them.
std::vector<Record> ReadPart(std::string_view stream, size_t& at);
// The records of bytes that PartEnd found sound.
std::vector<Record> SplitRecords(std::string_view bytes);
void WriteRecords(const std::vector<Record>& records, std::string& out);
size_t SizeOf(const std::vector<Record>& records);

// Reads a record's data followed by its CONTINUE records as one sequence.
class ContinuedReader {
public:
  // records[first] and the CONTINUE records right after it.
  ContinuedReader(const std::vector<Record>& records, size_t first);
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  void Skip(size_t n);
  // `count` characters into UTF-8; a character run crossing into the next
  // record starts there with a new flags byte.
  void Chars(size_t count, bool high, std::string& utf8, std::string* raw16 = nullptr);
  // The index of the record after the last one read from.
  size_t End() const { return m_end; }

private:
  void Need(size_t n);
  bool NextSegment();
  const std::vector<Record>& m_records;
  size_t m_record, m_at = 0, m_end;
};

// An unsigned 16-bit count string (LABEL, FORMAT) or 8-bit (sheet names)
// at `at` inside one record; `at` moves past it.
std::string ReadString(std::string_view data, size_t& at, bool shortCount);
// The UTF-8 text as the 16-bit count form with flags (compressed when every
// character fits a byte).
std::string EncodeString(const std::string& utf8, bool shortCount);
std::u16string Utf16(const std::string& utf8);

}  // namespace workbook
}  // namespace zelado
