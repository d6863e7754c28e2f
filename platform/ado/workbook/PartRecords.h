// The records of one sheet's part of the workbook stream. A part read from
// a file stays a view of the stream as read (shared by the sheets) until
// something asks for its records one by one (a rewrite after cells
// changed): opening a large sheet to read it then costs no record objects
// and no copy, and saving copies an untouched part as the bytes it was.
#pragma once

#include "platform/ado/workbook/Biff.h"

#include <memory>

namespace zelado {
namespace workbook {

class PartRecords {
public:
  PartRecords() = default;
  // Records made here (a new sheet, a rewritten one) are split already; the
  // conversions let a part stand wherever a list of records is taken.
  PartRecords(std::vector<Record> records) : m_records(std::move(records)) {}
  // Bytes from PartEnd: sound records from a BOF to its EOF, at `at` in
  // the stream.
  static PartRecords FromBytes(std::shared_ptr<std::string> stream, size_t at, size_t size);
  static PartRecords FromBytes(std::string bytes);

  // The records, split from the bytes the first time.
  std::vector<Record>& All();
  operator std::vector<Record>&() { return All(); }
  std::vector<Record>::iterator begin() { return All().begin(); }
  std::vector<Record>::iterator end() { return All().end(); }

  // The bytes as read, while the records are not split; empty after.
  std::string_view Bytes() const {
    return m_stream ? std::string_view(*m_stream).substr(m_at, m_size) : std::string_view();
  }
  bool Unsplit() const { return m_stream != nullptr; }

  size_t ByteSize() const { return m_stream ? m_size : SizeOf(m_records); }
  void WriteTo(std::string& out) const;
  // Moves the absolute stream positions an INDEX record holds by `delta`.
  void MoveIndex(int64_t delta);

private:
  std::shared_ptr<std::string> m_stream;  // null once split
  size_t m_at = 0, m_size = 0;
  std::vector<Record> m_records;
};

}  // namespace workbook
}  // namespace zelado
