#include "platform/ado/RecordsetState.h"

#include "platform/ado/ConnectionText.h"
#include "platform/ado/Connection.h"

namespace zelado {

void RecordsetState::RaiseClosed() {
  Raise(ErrorKind::ObjectClosed, L"operation is not allowed when the recordset is closed");
}

void RecordsetState::RaiseNoColumn() { Raise(ErrorKind::ItemNotFound, L"the field is no longer in the recordset"); }

Session& RecordsetState::Engine() {
  if (!connection) Raise(ErrorKind::InvalidConnection, L"the recordset has no connection");
  return connection->ZelSession();
}

long RecordsetState::FieldIndexOf(const VARIANT& index) const {
  long n = static_cast<long>(columns.size());
  if (index.vt == VT_I2 && index.iVal >= 0 && index.iVal < n) return index.iVal;
  _variant_t v(index);
  if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) v = *v.pvarVal;
  if (v.vt == VT_BSTR) {
    std::wstring name = v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring();
    for (size_t i = 0; i < columns.size(); ++i)
      if (SameText(columns[i].name, name)) return static_cast<long>(i);
    Raise(ErrorKind::ItemNotFound, L"item cannot be found in the collection: no field named '" + name + L"'");
  }
  _variant_t at;
  if (v.vt == VT_EMPTY || v.vt == VT_NULL || v.vt == VT_ERROR || FAILED(VariantChangeType(&at, &v, 0, VT_I4)))
    Raise(ErrorKind::ItemNotFound, L"item cannot be found in the collection: the index is neither a position nor a name");
  if (at.lVal < 0 || at.lVal >= n)
    Raise(ErrorKind::ItemNotFound, L"item cannot be found in the collection: there is no field at position " +
                                       std::to_wstring(at.lVal));
  return at.lVal;
}

void RecordsetState::RequireWritable() const {
  RequireOpen();
  if (writable) return;
  if (table.empty())
    Raise(ErrorKind::NotAvailable, L"the recordset cannot be updated: its rows do not come from one table with row keys");
  Raise(ErrorKind::NotAvailable, L"the recordset cannot be updated: it was opened read-only");
}

void RecordsetState::BeginEdit() {
  if (edit != adEditNone) return;
  editRow = cursor->Current();
  cursor->CurrentKey();
  changed.assign(columns.size(), false);
  appending.assign(columns.size(), false);
  edit = adEditInProgress;
}

void RecordsetState::EndEdit() {
  edit = adEditNone;
  editRow.clear();
  changed.clear();
  appending.clear();
  chunkField = -1;
}

void RecordsetState::Put(long field, Value value) {
  RequireWritable();
  BeginEdit();
  editRow[field] = std::move(value);
  changed[field] = true;
}

void RecordsetState::AddNew() {
  RequireWritable();
  if (edit != adEditNone) Save();
  editRow.assign(columns.size(), Value());
  changed.assign(columns.size(), false);
  appending.assign(columns.size(), false);
  edit = adEditAdd;
}

void RecordsetState::Save() {
  RequireOpen();
  if (edit == adEditNone) return;
  // The changed values are lent to the engine and taken back whatever
  // happens: a long value is not copied, and a failed write keeps the edit.
  std::vector<std::wstring> names;
  std::vector<size_t> lent;
  Row values;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!changed[i]) continue;
    names.push_back(columns[i].baseColumn);
    values.push_back(std::move(editRow[i]));
    lent.push_back(i);
  }
  auto takeBack = [&]() {
    for (size_t k = 0; k < lent.size(); ++k) editRow[lent[k]] = std::move(values[k]);
  };
  int64_t key = 0;
  try {
    Session& s = Engine();
    key = edit == adEditAdd ? s.InsertRow(table, names, values) : cursor->CurrentKey();
    if (edit == adEditInProgress) s.UpdateRow(table, key, names, values);
  } catch (...) {
    takeBack();
    throw;
  }
  takeBack();
  Row row;
  if (cursor->KeepsRows()) {
    // Read the row back: defaults, the key column and the engine's own
    // conversions show as a second reader would see them.
    std::vector<Row> back;
    Engine().Fetch(table, columns, &key, 1, back);
    row = back[0].empty() ? std::move(editRow) : std::move(back[0]);
  }
  if (edit == adEditAdd)
    cursor->Added(key, std::move(row));
  else
    cursor->Replaced(std::move(row));
  EndEdit();
}

void RecordsetState::Cancel() {
  RequireOpen();
  EndEdit();
}

void RecordsetState::Delete() {
  RequireWritable();
  if (edit == adEditAdd) {  // a new record not yet saved simply goes
    EndEdit();
    return;
  }
  EndEdit();
  Engine().DeleteRow(table, cursor->CurrentKey());
  cursor->Removed();
}

void RecordsetState::BeforeMove() {
  RequireOpen();
  if (edit != adEditNone) Save();
  chunkField = -1;
}

void RecordsetState::Close() {
  EndEdit();
  cursor.reset();
  reopen = nullptr;
  columns.clear();
  table.clear();
  writable = false;
  connection = nullptr;
  ++generation;
}

}  // namespace zelado
