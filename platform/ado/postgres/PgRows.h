// The rows of one statement read off the wire one at a time (the server's
// single-row mode), so a result of any size costs one row of memory. When
// another statement must run before the rows are all read, the rest is
// taken into memory first.
#pragma once

#include "platform/ado/postgres/PgLink.h"

#include <deque>
#include <functional>

namespace zelado {
namespace pg {

class Rows : public RowStream {
public:
  // Reads the results of a statement just sent up to its first row (or its
  // end): errors come from here, not from the first read. With a key, the
  // first columns are the key's and are not columns of the stream.
  static std::unique_ptr<Rows> Start(LinkPtr link, KeyPtr key, int64_t& changed);
  ~Rows() override;

  const std::vector<Column>& Columns() const override { return m_columns; }
  bool Next(Row* row, int64_t* key) override;
  const std::wstring& Table() const override { return m_table; }
  bool Keyed() const override { return m_key != nullptr; }

  // Takes the rest of the rows into memory and frees the connection.
  void Buffer();

  // A keyed stream of rows holding long binary values carries only their
  // keys, so a keyset's scan of keys moves no value; a row asked for is
  // fetched by its key. `shape` describes the statement's own columns.
  using RowFetch = std::function<void(const std::wstring& table, const std::vector<Column>& columns, int64_t key,
                                      Row& row)>;
  void FetchRowsBy(const PGresult* shape, std::weak_ptr<const RowFetch> fetch);

private:
  Rows(LinkPtr link, KeyPtr key) : m_link(std::move(link)), m_key(std::move(key)) {}
  void Describe(const PGresult* r, int first);
  ResultPtr Pull();
  // Reads what is left of the statement off the wire, from `last` (a
  // result already taken) on; the first failure found is kept for the reader.
  void Finish(ResultPtr last = nullptr);

  LinkPtr m_link;
  KeyPtr m_key;
  std::vector<Column> m_columns;
  std::wstring m_table;
  ResultPtr m_pending;
  std::deque<ResultPtr> m_buffered;
  std::weak_ptr<const RowFetch> m_fetch;
  bool m_fetching = false;  // rows by key through m_fetch
  bool m_wire = false;  // rows may still come off the wire
  bool m_failed = false;
  ErrorKind m_failKind = ErrorKind::Syntax;
  std::string m_failMessage;
};

}  // namespace pg
}  // namespace zelado
