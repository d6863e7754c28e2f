// The records of one sheet's part of the workbook stream. A part read from
// a file stays as its bytes until something asks for its records one by
// one (a rewrite after cells changed): opening a large sheet to read it
// then costs no record objects, and saving copies an untouched part as the
// bytes it was.
#pragma once

#include "platform/ado/workbook/Biff.h"

namespace zelado {
namespace workbook {

class PartRecords {
public:
  PartRecords() = default;
  PartRecords(std::vector<Record> records) : m_records(std::move(records)) {}  // NOLINT: made records
  // Bytes from PartEnd: sound records from a BOF to its EOF.
  static PartRecords FromBytes(std::string bytes);

  // The records, split from the bytes the first time.
  std::vector<Record>& All();
  operator std::vector<Record>&() { return All(); }  // NOLINT: where records are taken as a list
  std::vector<Record>::iterator begin() { return All().begin(); }
  std::vector<Record>::iterator end() { return All().end(); }

  // The bytes as read, while the records are not split; empty after.
  const std::string& Bytes() const { return m_bytes; }
  bool Unsplit() const { return m_unsplit; }

  size_t ByteSize() const { return m_unsplit ? m_bytes.size() : SizeOf(m_records); }
  void WriteTo(std::string& out) const;
  // Moves the absolute stream positions an INDEX record holds by `delta`.
  void MoveIndex(int64_t delta);

private:
  std::string m_bytes;
  std::vector<Record> m_records;
  bool m_unsplit = false;
};

}  // namespace workbook
}  // namespace zelado
