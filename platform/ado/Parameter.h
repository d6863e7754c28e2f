// A command parameter and the ordered collection of a command's parameters.
#pragma once

#include "ZELExport.h"

#include "platform/ado/AdoFwd.h"

#include <string>
#include <vector>

struct ZEL_EXPORT _Parameter : IDispatch {
  _Parameter();
  ~_Parameter() override;

  _bstr_t GetName();
  void PutName(_bstr_t name);
  ZEL_NO_EXPORT void ZelPutName(const wchar_t* name, size_t length);  // keeps the room of the old name
  _variant_t GetValue();
  void PutValue(const _variant_t& value);
  DataTypeEnum GetType();
  void PutType(DataTypeEnum type);
  ParameterDirectionEnum GetDirection();
  void PutDirection(ParameterDirectionEnum direction);
  long GetSize();
  void PutSize(long size);
  long GetAttributes();
  void PutAttributes(long attributes);
  unsigned char GetPrecision();
  void PutPrecision(unsigned char precision);
  unsigned char GetNumericScale();
  void PutNumericScale(unsigned char scale);
  const _variant_t& ZelValue() const { return m_value; }  // without a copy, for the command
  // Appends to a text or binary value (the first call after PutValue replaces it).
  HRESULT AppendChunk(const _variant_t& Data);
  // Back to the state of a new parameter but for the name and a text value,
  // for reuse by a maker that puts both.
  ZEL_NO_EXPORT void ZelReset();

private:
  std::wstring m_name;
  _variant_t m_value;
  DataTypeEnum m_type = adEmpty;
  ParameterDirectionEnum m_direction = adParamInput;
  long m_size = 0;
  long m_attributes = 0;
  unsigned char m_precision = 0;
  unsigned char m_scale = 0;
  bool m_appending = false;
};

struct ZEL_EXPORT Parameters : IDispatch {
  Parameters();
  ~Parameters() override;

  // Object must be a parameter (made by _Command::CreateParameter).
  HRESULT Append(IDispatch* Object);
  HRESULT Delete(const _variant_t& Index);
  long GetCount();
  // By 0-based position or by name without regard to case.
  _ParameterPtr GetItem(const _variant_t& Index);
  HRESULT Refresh();

  // For the command that runs them.
  const std::vector<_ParameterPtr>& ZelItems() const { return m_items; }
  // A new parameter for the command: one deleted from here that no one
  // else held, made like new but for the name and text it may still have
  // (the maker puts both), or a fresh one.
  ZEL_NO_EXPORT _ParameterPtr ZelMake();
  // Appends a parameter ZelMake just gave, which cannot be here already.
  void ZelAdd(_ParameterPtr made) { m_items.push_back(std::move(made)); }
  // Deletes every parameter, last first, as Delete would one by one.
  ZEL_NO_EXPORT void ZelClear();

private:
  static constexpr size_t kSpares = 64;
  long IndexOf(const _variant_t& index);
  void Retire(_ParameterPtr& gone);
  std::vector<_ParameterPtr> m_items;
  std::vector<_ParameterPtr> m_spare;
};
