#include "platform/ado/Cursor.h"

#include <algorithm>

namespace zelado {

namespace {

[[noreturn]] void NoRecord(const wchar_t* why) { Raise(ErrorKind::NoCurrentRecord, why); }
const wchar_t kAtEnd[] = L"either BOF or EOF is true: there is no current record";
const wchar_t kDeleted[] = L"the current record has been deleted";

class Forward : public Cursor {
public:
  Forward(std::unique_ptr<RowStream> rows, StreamMaker reopen) : m_rows(std::move(rows)), m_reopen(std::move(reopen)) {
    Read();
    m_empty = m_eof;
  }
  bool Bof() const override { return m_empty; }
  bool Eof() const override { return m_eof; }
  void MoveFirst() override {
    if (m_position == 1 && !m_deleted) return;
    if (!m_reopen) Raise(ErrorKind::IllegalOperation, L"this forward-only recordset cannot go back to its start");
    m_rows = m_reopen();
    m_position = 0;
    m_deleted = false;
    Read();
    m_empty = m_eof;
  }
  void MoveLast() override {
    if (m_eof) return;
    while (m_rows->Next(&m_next, &m_nextKey)) {
      std::swap(m_row, m_next);
      m_key = m_nextKey;
      ++m_position;
    }
    m_deleted = false;
  }
  void Move(long count) override {
    if (count < 0) Raise(ErrorKind::IllegalOperation, L"a forward-only recordset cannot move backwards");
    for (long i = 0; i < count; ++i) {
      if (m_eof) NoRecord(kAtEnd);
      if (m_deleted) {
        m_deleted = false;
        continue;
      }
      Read();
    }
  }
  long Count() const override { return -1; }
  long Position() const override { return m_eof ? long(adPosEOF) : long(adPosUnknown); }
  const Row& Current() override {
    if (m_eof) NoRecord(kAtEnd);
    if (m_deleted) NoRecord(kDeleted);
    return m_row;
  }
  bool HasKey() const override { return m_rows->Keyed(); }
  int64_t CurrentKey() override { Current(); return m_key; }
  void Added(int64_t key, Row row) override {
    // The new row is current until the next move, which goes on with the stream.
    m_row = std::move(row);
    m_key = key;
    m_deleted = false;
    m_eof = false;
    m_empty = false;
  }
  void Replaced(Row row) override { m_row = std::move(row); }
  void Removed() override { m_deleted = true; }

private:
  void Read() {
    m_eof = !m_rows->Next(&m_row, &m_key);
    if (!m_eof) ++m_position;
  }
  std::unique_ptr<RowStream> m_rows;
  StreamMaker m_reopen;
  Row m_row, m_next;
  int64_t m_key = 0, m_nextKey = 0;
  long m_position = 0;
  bool m_eof = true, m_empty = true, m_deleted = false;
};

// Keyset and static share the positions over a list; they differ in where a row comes from.
class List : public Cursor {
public:
  bool Bof() const override { return m_pos < 0 || Size() == 0; }
  bool Eof() const override { return m_pos >= Size(); }
  void MoveFirst() override { m_pos = 0; m_deleted = false; }
  void MoveLast() override { m_pos = Size() > 0 ? Size() - 1 : 0; m_deleted = false; }
  void Move(long count) override {
    if (count == 0) return;
    if (m_deleted) {
      if (count > 0) --count;  // the deleted row's place is already the next row
      m_deleted = false;
    } else if ((count > 0 && Eof()) || (count < 0 && m_pos < 0)) {
      NoRecord(kAtEnd);
    }
    long target = m_pos + count;
    m_pos = target < 0 ? -1 : (target > Size() ? Size() : target);
  }
  long Count() const override { return Size(); }
  long Position() const override { return Bof() ? long(adPosBOF) : (Eof() ? long(adPosEOF) : m_pos + 1); }
  bool HasKey() const override { return m_hasKeys; }
  int64_t CurrentKey() override {
    Check();
    return m_keys[m_pos];
  }

protected:
  virtual long Size() const { return static_cast<long>(m_keys.size()); }
  void Check() {
    if (m_pos < 0 || m_pos >= Size()) NoRecord(kAtEnd);
    if (m_deleted) NoRecord(kDeleted);
  }
  std::vector<int64_t> m_keys;
  long m_pos = 0;
  bool m_deleted = false;
  bool m_hasKeys = false;
};

class Keyset : public List {
public:
  Keyset(RowStream& rows, SessionGetter session)
      : m_session(std::move(session)), m_table(rows.Table()), m_columns(rows.Columns()) {
    // No shrink_to_fit: copying a large key list costs as much as the key
    // scan itself, while the spare room of a large list, past the last key,
    // is never touched and so takes address space rather than memory.
    rows.Keys(m_keys);
    m_hasKeys = true;
  }
  const Row& Current() override {
    Check();
    size_t pos = static_cast<size_t>(m_pos);
    if (pos < m_start || pos >= m_start + m_block.size()) {
      m_start = pos / kBlock * kBlock;
      size_t n = std::min(kBlock, m_keys.size() - m_start);
      m_session().Fetch(m_table, m_columns, m_keys.data() + m_start, n, m_block);
    }
    const Row& row = m_block[pos - m_start];
    if (row.empty()) NoRecord(L"the record was deleted by another connection");
    return row;
  }
  void Added(int64_t key, Row) override {
    m_keys.push_back(key);
    m_pos = Size() - 1;
    m_deleted = false;
    Forget();
  }
  void Replaced(Row) override { Forget(); }
  bool KeepsRows() const override { return false; }
  void Removed() override {
    m_keys.erase(m_keys.begin() + m_pos);
    m_deleted = true;
    Forget();
  }

private:
  void Forget() { m_block.clear(); m_start = 0; }
  static constexpr size_t kBlock = 512;
  SessionGetter m_session;
  std::wstring m_table;
  std::vector<Column> m_columns;
  std::vector<Row> m_block;
  size_t m_start = 0;
};

class Static : public List {
public:
  explicit Static(RowStream& rows) {
    m_hasKeys = rows.Keyed();
    Row row;
    int64_t key = 0;
    while (rows.Next(&row, &key)) {
      m_rows.push_back(std::move(row));
      if (m_hasKeys) m_keys.push_back(key);
    }
  }
  const Row& Current() override {
    Check();
    return m_rows[m_pos];
  }
  void Added(int64_t key, Row row) override {
    m_rows.push_back(std::move(row));
    if (m_hasKeys) m_keys.push_back(key);
    m_pos = Size() - 1;
    m_deleted = false;
  }
  void Replaced(Row row) override { m_rows[m_pos] = std::move(row); }
  void Removed() override {
    m_rows.erase(m_rows.begin() + m_pos);
    if (m_hasKeys) m_keys.erase(m_keys.begin() + m_pos);
    m_deleted = true;
  }

protected:
  long Size() const override { return static_cast<long>(m_rows.size()); }

private:
  std::vector<Row> m_rows;
};

}  // namespace

std::unique_ptr<Cursor> ForwardCursor(std::unique_ptr<RowStream> rows, StreamMaker reopen) {
  return std::unique_ptr<Cursor>(new Forward(std::move(rows), std::move(reopen)));
}

std::unique_ptr<Cursor> KeysetCursor(RowStream& rows, SessionGetter session) {
  return std::unique_ptr<Cursor>(new Keyset(rows, std::move(session)));
}

std::unique_ptr<Cursor> StaticCursor(RowStream& rows) { return std::unique_ptr<Cursor>(new Static(rows)); }

}  // namespace zelado
