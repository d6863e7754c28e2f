#include "platform/ado/Parameter.h"

#include "platform/ado/ConnectionText.h"
#include "platform/ado/ValueConvert.h"

using zelado::ErrorKind;
using zelado::Raise;

_Parameter::_Parameter() = default;
_Parameter::~_Parameter() = default;

void _Parameter::ZelReset() {
  // The name and a text value stay: whoever makes the parameter again puts
  // both at once, and a collection built per row puts the same name again
  // and a text that mostly fits the room of the last.
  if (m_value.vt != VT_BSTR) m_value.Clear();
  m_type = adEmpty;
  m_direction = adParamInput;
  m_size = 0;
  m_attributes = 0;
  m_precision = 0;
  m_scale = 0;
  m_appending = false;
}

_bstr_t _Parameter::GetName() { return _bstr_t(m_name.c_str()); }
void _Parameter::PutName(_bstr_t name) { ZelPutName(name, name.length()); }
void _Parameter::ZelPutName(const wchar_t* name, size_t length) { zelado::AssignText(m_name, name, length); }
_variant_t _Parameter::GetValue() { return m_value; }
void _Parameter::PutValue(const _variant_t& value) {
  // A number into an empty value (a parameter made again per row) is the
  // whole-struct copy the general copy ends in, without its checks.
  VARTYPE vt = value.vt;
  if (m_value.vt == VT_EMPTY && (vt == VT_I4 || vt == VT_I8 || vt == VT_R8 || vt == VT_I2 || vt == VT_R4 ||
                                 vt == VT_BOOL || vt == VT_DATE || vt == VT_CY || vt == VT_NULL)) {
    static_cast<VARIANT&>(m_value) = value;
  } else if (m_value.vt == VT_BSTR && vt == VT_BSTR && m_value.bstrVal && value.bstrVal &&
             SysStringByteLen(value.bstrVal) % sizeof(OLECHAR) == 0) {
    // Text over text goes in the room of the old where it fits.
    if (!SysReAllocStringLen(&m_value.bstrVal, value.bstrVal, SysStringLen(value.bstrVal)))
      _com_issue_error(E_OUTOFMEMORY);
  } else {
    m_value = value;
  }
  m_appending = false;
}
DataTypeEnum _Parameter::GetType() { return m_type; }
void _Parameter::PutType(DataTypeEnum type) { m_type = type; }
ParameterDirectionEnum _Parameter::GetDirection() { return m_direction; }
void _Parameter::PutDirection(ParameterDirectionEnum direction) {
  if (direction < adParamUnknown || direction > adParamReturnValue)
    Raise(ErrorKind::InvalidArgument, L"not a parameter direction: " + std::to_wstring(static_cast<int>(direction)));
  m_direction = direction;
}
long _Parameter::GetSize() { return m_size; }
void _Parameter::PutSize(long size) {
  if (size < 0) Raise(ErrorKind::InvalidArgument, L"a parameter size cannot be negative");
  m_size = size;
}
long _Parameter::GetAttributes() { return m_attributes; }
void _Parameter::PutAttributes(long attributes) { m_attributes = attributes; }
unsigned char _Parameter::GetPrecision() { return m_precision; }
void _Parameter::PutPrecision(unsigned char precision) { m_precision = precision; }
unsigned char _Parameter::GetNumericScale() { return m_scale; }
void _Parameter::PutNumericScale(unsigned char scale) { m_scale = scale; }

HRESULT _Parameter::AppendChunk(const _variant_t& Data) {
  std::string have, piece;
  if (Data.vt == VT_BSTR) {
    _bstr_t text = m_appending && m_value.vt == VT_BSTR ? _bstr_t(m_value.bstrVal) + _bstr_t(Data.bstrVal)
                                                        : _bstr_t(Data.bstrVal);
    m_value = text;
  } else if (zelado::BytesOf(Data, piece)) {
    if (m_appending) zelado::BytesOf(m_value, have);
    m_value = zelado::ByteArray((have + piece).data(), have.size() + piece.size());
  } else {
    Raise(ErrorKind::TypeMismatch, L"a chunk must be text or an array of bytes");
  }
  m_appending = true;
  return S_OK;
}

Parameters::Parameters() = default;
Parameters::~Parameters() = default;

HRESULT Parameters::Append(IDispatch* Object) {
  _Parameter* p = dynamic_cast<_Parameter*>(Object);
  if (!Object) Raise(ErrorKind::MissingHandle, L"no parameter to append");
  if (!p) Raise(ErrorKind::TypeMismatch, L"only a parameter object can be appended");
  for (const _ParameterPtr& have : m_items)
    if (have == p) Raise(ErrorKind::IllegalOperation, L"the parameter is already in the collection");
  m_items.emplace_back(p);
  return S_OK;
}

long Parameters::IndexOf(const _variant_t& index) {
  if (index.vt == VT_I4 && index.lVal >= 0 && index.lVal < static_cast<LONG>(m_items.size())) return index.lVal;
  if (index.vt == VT_BSTR) {
    std::wstring name = zelado::Text(_bstr_t(index.bstrVal));
    for (size_t i = 0; i < m_items.size(); ++i)
      if (zelado::SameText(zelado::Text(m_items[i]->GetName()), name)) return static_cast<long>(i);
    Raise(ErrorKind::ItemNotFound, L"item cannot be found in the collection: no parameter named '" + name + L"'");
  }
  _variant_t n;
  if (FAILED(VariantChangeType(&n, &index, 0, VT_I4)) || n.lVal < 0 || n.lVal >= static_cast<LONG>(m_items.size()))
    Raise(ErrorKind::ItemNotFound, L"item cannot be found in the collection: no parameter at that position");
  return n.lVal;
}

HRESULT Parameters::Delete(const _variant_t& Index) {
  size_t at = static_cast<size_t>(IndexOf(Index));
  // Shifted by copying: a handle's move assignment takes the address of its
  // source, which a handle's operator& answers as an out-parameter slot.
  _ParameterPtr gone = m_items[at];
  for (size_t i = at; i + 1 < m_items.size(); ++i) m_items[i] = m_items[i + 1];
  m_items.pop_back();
  Retire(gone);
  return S_OK;
}

// Handles change places by Detach and Attach: each copy of a handle counts
// a reference up and down again, a locked bus cycle each, several per
// parameter per row.
void Parameters::ZelClear() {
  while (!m_items.empty()) {
    _ParameterPtr gone;
    gone.Attach(m_items.back().Detach());
    m_items.pop_back();
    Retire(gone);
  }
}

// A parameter no one else holds is kept to be made again: a command whose
// parameters are cleared and appended per row makes no object per row.
void Parameters::Retire(_ParameterPtr& gone) {
  if (gone->ZelRefCount() == 1 && m_spare.size() < kSpares) {
    gone->ZelReset();
    m_spare.emplace_back();
    m_spare.back().Attach(gone.Detach());
  }
}

_ParameterPtr Parameters::ZelMake() {
  _ParameterPtr p;
  if (m_spare.empty()) {
    p = new _Parameter;
  } else {
    p.Attach(m_spare.back().Detach());
    m_spare.pop_back();
  }
  return p;
}

long Parameters::GetCount() { return static_cast<long>(m_items.size()); }

_ParameterPtr Parameters::GetItem(const _variant_t& Index) { return m_items[IndexOf(Index)]; }

HRESULT Parameters::Refresh() { return S_OK; }
