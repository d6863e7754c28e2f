// The rows of an open recordset and the position in them.
//
// Position rules: an empty recordset is at BOF and EOF at once; moving
// before the first row sets BOF, past the last EOF; a move from there in the
// same direction fails with NoCurrentRecord. After a delete the position
// names no row until the next move, which continues from where the row was.
#pragma once

#include "platform/ado/Provider.h"

#include <functional>

namespace zelado {

using StreamMaker = std::function<std::unique_ptr<RowStream>()>;
using SessionGetter = std::function<Session&()>;

class Cursor {
public:
  virtual ~Cursor() = default;
  virtual bool Bof() const = 0;
  virtual bool Eof() const = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveLast() = 0;
  virtual void Move(long count) = 0;  // + forward, - back
  virtual long Count() const = 0;     // -1 when unknown
  virtual long Position() const = 0;  // 1-based, or adPosBOF / adPosEOF / adPosUnknown
  virtual const Row& Current() = 0;   // raises NoCurrentRecord
  virtual bool HasKey() const = 0;
  virtual int64_t CurrentKey() = 0;
  // After the recordset wrote rows: a saved new row becomes current; the
  // current row took new values; the current row is gone.
  virtual void Added(int64_t key, Row row) = 0;
  virtual void Replaced(Row row) = 0;
  virtual void Removed() = 0;
  // False when the cursor reads rows again by key, so a written row need
  // not be read back for it (Added and Replaced then get an empty row).
  virtual bool KeepsRows() const { return true; }
};

// Forward-only over a stream: one row in memory. `reopen` runs the
// statement again for MoveFirst.
std::unique_ptr<Cursor> ForwardCursor(std::unique_ptr<RowStream> rows, StreamMaker reopen);
// Keys only, rows fetched by key in blocks; the stream must be keyed.
std::unique_ptr<Cursor> KeysetCursor(RowStream& rows, SessionGetter session);
// Every row copied (with its key when the stream has keys).
std::unique_ptr<Cursor> StaticCursor(RowStream& rows);

}  // namespace zelado
