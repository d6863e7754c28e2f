// The fields of a recordset and one field of its current record. Both stay
// bound to the recordset: a field read after a move gives the new record.
#pragma once

#include "ZELExport.h"

#include "platform/ado/AdoFwd.h"

#include <memory>
#include <vector>

struct ZEL_EXPORT Field : IDispatch {
  Field(std::shared_ptr<zelado::RecordsetState> state, long index);
  ~Field() override;

  _variant_t GetValue();
  void PutValue(const _variant_t& value);
  _bstr_t GetName();
  DataTypeEnum GetType();
  long GetAttributes();
  long GetDefinedSize();
  long GetActualSize();  // bytes of a binary value, characters of a text
  unsigned char GetPrecision();
  unsigned char GetNumericScale();
  _variant_t GetOriginalValue();

  // Long data in pieces: GetChunk continues where the last call on this
  // field of this record stopped and answers an empty variant when nothing
  // is left; the first AppendChunk after a move or an update replaces the
  // value, later ones append.
  _variant_t GetChunk(long Length);
  HRESULT AppendChunk(const _variant_t& Data);
  // The next GetChunk reads from the start of the value, as after a read of
  // another field: for a reader that takes the whole value again.
  void ZelRestartChunks();

private:
  std::shared_ptr<zelado::RecordsetState> m_state;
  long m_index;
};

struct ZEL_EXPORT Fields : IDispatch {
  explicit Fields(std::shared_ptr<zelado::RecordsetState> state);
  ~Fields() override;

  long GetCount();
  // By 0-based position (any whole-number kind) or by name without regard to
  // case; anything else not in the collection raises adErrItemNotFound.
  FieldPtr GetItem(const _variant_t& Index);
  HRESULT Refresh();

private:
  std::shared_ptr<zelado::RecordsetState> m_state;
  // Field objects made so far, by position: reading a field per row
  // should not make an object per row.
  std::vector<FieldPtr> m_made;
  unsigned m_generation = 0;
};
