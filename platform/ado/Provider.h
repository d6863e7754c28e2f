// The engine side of the data-access objects. An engine (the embedded
// SQLite one here; a server engine and a workbook engine later) answers for
// a connection through a Session, and hands rows out through RowStreams. The
// objects callers see (connection, recordset, command, fields, parameters)
// hold every rule about cursors, values and errors, so an engine only runs
// statements, reads rows and writes rows by key.
//
// A row key is the engine's own 64-bit handle on a row of a table: the
// rowid here, a row number in a worksheet. An engine whose tables are keyed
// otherwise (a server table's primary key) keeps those keys itself and hands
// out positions into them.
//
// Engines report failures with zelado::Raise (AdoErrors.h).
#pragma once

#include "platform/ado/AdoEnums.h"
#include "platform/ado/AdoErrors.h"
#include "platform/ado/StatementMarkers.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelado {

// One value as an engine stores it. Text is UTF-8; a blob is raw bytes.
struct Value {
  enum Kind : unsigned char { Null, Integer, Real, Text, Blob };
  Kind kind = Null;
  int64_t i = 0;
  double r = 0;
  std::string bytes;

  static Value Int(int64_t v) { Value x; x.kind = Integer; x.i = v; return x; }
  static Value Dbl(double v) { Value x; x.kind = Real; x.r = v; return x; }
  static Value Str(std::string v) { Value x; x.kind = Text; x.bytes = std::move(v); return x; }
  static Value Bin(std::string v) { Value x; x.kind = Blob; x.bytes = std::move(v); return x; }

  // How a stored number reads in a column that takes any kind (a workbook
  // cell keeps its own kind): a Real as a date (the day count) or an
  // Integer as a boolean.
  enum Shown : unsigned char { AsStored, AsDate, AsBoolean };
  Shown shown = AsStored;
  static Value Day(double v) { Value x = Dbl(v); x.shown = AsDate; return x; }
  static Value Flag(bool v) { Value x = Int(v ? 1 : 0); x.shown = AsBoolean; return x; }
};
using Row = std::vector<Value>;

// A result column: the data type a user expects from its declaration, and
// the table column it reads (empty for an expression).
struct Column {
  std::wstring name;
  DataTypeEnum type = adVariant;
  long attributes = 0;
  long definedSize = 0;
  unsigned char precision = 255;
  unsigned char scale = 255;
  std::wstring baseTable;
  std::wstring baseColumn;
};

// Rows of one statement, read once, in order.
class RowStream {
public:
  virtual ~RowStream() = default;
  virtual const std::vector<Column>& Columns() const = 0;
  // The next row into `row` (sized to the columns; NULL to skip the
  // values), or false at the end. A keyed stream also gives each row's key.
  virtual bool Next(Row* row, int64_t* key) = 0;
  // The keys of the rows not read yet, in order, appended to `keys`; the
  // stream is at its end after. An engine may find them more cheaply than
  // by reading each row.
  virtual void Keys(std::vector<int64_t>& keys);
  // The one table every row comes from, empty when the rows are not a single
  // table's; Keyed() tells whether Next gives keys to fetch and write by.
  virtual const std::wstring& Table() const = 0;
  virtual bool Keyed() const = 0;
};

struct Capabilities {
  bool storedProcedures = false;
  bool outputParameters = false;
  bool transactions = true;
  bool keyedRows = true;
};

// A parameter as the engine sees it; output values come back in `value`.
struct EngineParam {
  std::wstring name;
  DataTypeEnum type = adVariant;
  ParameterDirectionEnum direction = adParamInput;
  Value value;
};

class Session {
public:
  virtual ~Session() = default;
  virtual Capabilities GetCapabilities() const = 0;
  // How the engine reads a statement text: where ? markers can stand.
  virtual SqlDialect Dialect() const { return SqlDialect::Generic; }

  // One statement with its ? markers bound by position, run at once; the
  // stream holds its rows (no columns for a statement without rows). With
  // `keyed`, rows of a single table carry their keys.
  virtual std::unique_ptr<RowStream> Execute(const std::wstring& text, const std::vector<Value>& params,
                                             bool keyed) = 0;
  // Rows changed by the last statement that changed rows.
  virtual int64_t RowsAffected() = 0;
  virtual std::unique_ptr<RowStream> ExecuteProcedure(const std::wstring& name, std::vector<EngineParam>& params);

  // Rows of `table` by key, the given columns in their order; rows[i] is
  // left empty when keys[i] is no longer there.
  virtual void Fetch(const std::wstring& table, const std::vector<Column>& columns, const int64_t* keys,
                     size_t count, std::vector<Row>& rows) = 0;
  virtual int64_t InsertRow(const std::wstring& table, const std::vector<std::wstring>& columns,
                            const Row& values) = 0;
  virtual void UpdateRow(const std::wstring& table, int64_t key, const std::vector<std::wstring>& columns,
                         const Row& values) = 0;
  virtual void DeleteRow(const std::wstring& table, int64_t key) = 0;

  virtual void BeginTransaction() = 0;
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;

  // A schema rowset; restrictions are positional, Null for none.
  virtual std::unique_ptr<RowStream> Schema(SchemaEnum schema, const std::vector<Value>& restrictions) = 0;
};

// Opens the engine a connection text names. Malformed texts and unknown
// providers raise BadConnectionText, engines not built here NotAvailable,
// an engine that cannot open the database Connection.
std::unique_ptr<Session> OpenSession(const std::wstring& connectionText, const std::wstring& user,
                                     const std::wstring& password);

}  // namespace zelado
