#include "platform/ado/Fields.h"

#include "platform/ado/RecordsetState.h"
#include "platform/ado/ValueConvert.h"

#include <algorithm>

using zelado::ErrorKind;
using zelado::Raise;
using zelado::Value;

namespace {

// Characters of UTF-8 text: the bytes that do not continue a sequence.
size_t Characters(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// Byte offset `count` characters after `from` in UTF-8 text, at most its size.
size_t CharactersOn(const std::string& utf8, size_t from, size_t count) {
  size_t i = from;
  for (; i < utf8.size() && count > 0; --count) {
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

}  // namespace

Field::Field(std::shared_ptr<zelado::RecordsetState> state, long index) : m_state(std::move(state)), m_index(index) {}
Field::~Field() = default;

_variant_t Field::GetValue() {
  const Value& v = m_state->Cell(m_index);  // checks the position first
  return zelado::ToVariant(v, m_state->columns[m_index].type);
}

void Field::PutValue(const _variant_t& value) {
  m_state->Put(m_index, zelado::FromVariant(value, m_state->ColumnOf(m_index).type));
}

_variant_t Field::GetOriginalValue() {
  DataTypeEnum type = m_state->ColumnOf(m_index).type;
  return zelado::ToVariant(m_state->cursor->Current()[m_index], type);
}

_bstr_t Field::GetName() {
  return _bstr_t(m_state->ColumnOf(m_index).name.c_str());
}

DataTypeEnum Field::GetType() {
  return m_state->ColumnOf(m_index).type;
}

long Field::GetAttributes() {
  long a = m_state->ColumnOf(m_index).attributes;
  return m_state->writable ? (a | adFldUpdatable) : a;
}

long Field::GetDefinedSize() {
  return m_state->ColumnOf(m_index).definedSize;
}

unsigned char Field::GetPrecision() {
  return m_state->ColumnOf(m_index).precision;
}

unsigned char Field::GetNumericScale() {
  return m_state->ColumnOf(m_index).scale;
}

long Field::GetActualSize() {
  const Value& v = m_state->Cell(m_index);
  switch (v.kind) {
    case Value::Null: return 0;
    case Value::Blob: return static_cast<long>(v.bytes.size());
    case Value::Text: return static_cast<long>(Characters(v.bytes));
    default: return m_state->columns[m_index].definedSize;
  }
}

void Field::ZelRestartChunks() {
  m_state->chunkField = -1;
  m_state->chunkOffset = 0;
}

_variant_t Field::GetChunk(long Length) {
  if (Length < 0) Raise(ErrorKind::InvalidArgument, L"a chunk length cannot be negative");
  const Value& v = m_state->Cell(m_index);
  if (!(m_state->columns[m_index].attributes & adFldLong) && v.kind != Value::Blob && v.kind != Value::Text)
    Raise(ErrorKind::IllegalOperation, L"GetChunk needs a field of long data");
  if (v.kind == Value::Null) {
    _variant_t null;
    null.vt = VT_NULL;
    return null;
  }
  if (m_state->chunkField != m_index) {
    m_state->chunkField = m_index;
    m_state->chunkOffset = 0;
  }
  size_t& offset = m_state->chunkOffset;
  if (offset >= v.bytes.size()) return _variant_t();
  if (v.kind == Value::Blob) {
    size_t n = std::min(static_cast<size_t>(Length), v.bytes.size() - offset);
    _variant_t chunk = zelado::ByteArray(v.bytes.data() + offset, n);
    offset += n;
    return chunk;
  }
  // Text comes in characters, never cutting one in two.
  size_t end = CharactersOn(v.bytes, offset, static_cast<size_t>(Length));
  _variant_t chunk;
  chunk.vt = VT_BSTR;
  chunk.bstrVal = ZelBstrFromUtf8Len(v.bytes.data() + offset, end - offset);
  offset = end;
  return chunk;
}

HRESULT Field::AppendChunk(const _variant_t& Data) {
  const zelado::Column& c = m_state->ColumnOf(m_index);
  Value piece = zelado::FromVariant(Data, c.type);
  if (m_state->edit == adEditNone || !m_state->appending[m_index]) {
    Value first;
    first.kind = piece.kind;
    first.bytes = std::move(piece.bytes);
    m_state->Put(m_index, std::move(first));
    m_state->appending[m_index] = true;
    return S_OK;
  }
  // Later pieces grow the pending value where it lies: a long value sent
  // in small chunks costs its length once, not once per chunk.
  Value& have = m_state->editRow[m_index];
  if (have.kind == Value::Null) have.kind = piece.kind;
  have.bytes += piece.bytes;
  return S_OK;
}

Fields::Fields(std::shared_ptr<zelado::RecordsetState> state) : m_state(std::move(state)) {}
Fields::~Fields() = default;

long Fields::GetCount() {
  m_state->RequireOpen();
  return static_cast<long>(m_state->columns.size());
}

FieldPtr Fields::GetItem(const _variant_t& Index) {
  long i = m_state->FieldIndex(Index);
  if (m_generation != m_state->generation) {
    m_made.clear();
    m_generation = m_state->generation;
  }
  if (m_made.size() < m_state->columns.size()) m_made.resize(m_state->columns.size());
  if (!m_made[i]) m_made[i] = new Field(m_state, i);
  return m_made[i];
}

HRESULT Fields::Refresh() { return S_OK; }
