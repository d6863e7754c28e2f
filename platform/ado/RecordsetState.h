// What a recordset, its fields and their field objects share: the columns,
// the cursor, the edit buffer of the current or new record, and where a
// chunked read stands.
#pragma once

#include "platform/ado/AdoFwd.h"
#include "platform/ado/Cursor.h"

namespace zelado {

struct RecordsetState {
  _ConnectionPtr connection;  // keeps the engine session the cursor reads
  std::vector<Column> columns;
  std::wstring table;  // the one table rows come from, empty otherwise
  bool writable = false;
  std::unique_ptr<Cursor> cursor;
  StreamMaker reopen;

  EditModeEnum edit = adEditNone;
  Row editRow;
  std::vector<bool> changed;
  std::vector<bool> appending;  // AppendChunk has started on the field

  unsigned generation = 0;  // counts closes, so field objects know their columns went

  long chunkField = -1;  // GetChunk's field and how far it has read
  size_t chunkOffset = 0;

  // These four run once or more per field read: inline, their failures not.
  bool Open() const { return cursor != nullptr; }
  void RequireOpen() const {
    if (!Open()) RaiseClosed();
  }
  Session& Engine();
  // Position or name (without regard to case) of a field; ItemNotFound otherwise.
  long FieldIndex(const VARIANT& index) const {
    RequireOpen();
    long n = static_cast<long>(columns.size());
    if (index.vt == VT_I4 && index.lVal >= 0 && index.lVal < n) return index.lVal;  // the usual key, at no cost
    return FieldIndexOf(index);
  }
  // The column of a field position; ItemNotFound when out of range.
  const Column& ColumnOf(long field) const {
    RequireOpen();
    // A field object kept from before the recordset was opened again may
    // name a column the new rows do not have.
    if (field < 0 || field >= static_cast<long>(columns.size())) RaiseNoColumn();
    return columns[field];
  }
  // The value a field reads now: the edit buffer's while editing.
  const Value& Cell(long field) {
    ColumnOf(field);
    if (edit != adEditNone) return editRow[field];
    return cursor->Current()[field];
  }

  void Put(long field, Value value);
  void AddNew();
  void Save();    // Update: writes the edit buffer
  void Cancel();  // CancelUpdate
  void Delete();
  // Before any move: a pending edit is saved, chunk reading starts over.
  void BeforeMove();
  void Close();

private:
  [[noreturn]] static void RaiseClosed();
  [[noreturn]] static void RaiseNoColumn();
  long FieldIndexOf(const VARIANT& index) const;  // every key but an in-range position
  void RequireWritable() const;
  void BeginEdit();
  void EndEdit();
};

}  // namespace zelado
