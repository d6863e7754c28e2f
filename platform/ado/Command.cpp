#include "platform/ado/Command.h"

#include "platform/ado/StatementMarkers.h"

#include "platform/ado/Connection.h"
#include "platform/ado/Parameter.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Source.h"
#include "platform/ado/ValueConvert.h"

using zelado::ErrorKind;
using zelado::Raise;

namespace {

bool IsInput(ParameterDirectionEnum d) { return d == adParamInput || d == adParamInputOutput || d == adParamUnknown; }

DataTypeEnum BindType(_Parameter* p, const VARIANT& value) {
  DataTypeEnum t = p->GetType();
  return t == adEmpty || t == adVariant ? zelado::TypeOfVariant(value.vt) : t;
}

}  // namespace

_Command::_Command() : m_parameters(new Parameters) {}
_Command::~_Command() = default;

void _Command::PutRefActiveConnection(_Connection* connection) { m_connection = connection; }

void _Command::PutActiveConnection(const _variant_t& connection) {
  const VARIANT& v = connection;
  if ((v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && v.punkVal) {
    _Connection* c = dynamic_cast<_Connection*>(v.punkVal);
    if (!c) Raise(ErrorKind::TypeMismatch, L"the active connection must be a connection object");
    m_connection = c;
  } else if (v.vt == VT_BSTR) {
    _ConnectionPtr c(new _Connection);
    c->Open(_bstr_t(v.bstrVal), _bstr_t(L""), _bstr_t(L""), adConnectUnspecified);
    m_connection = c;
  } else {
    m_connection = nullptr;
  }
}

_ConnectionPtr _Command::GetActiveConnection() { return m_connection; }
void _Command::PutCommandText(_bstr_t text) { ZelPutCommandText(text, text.length()); }
void _Command::ZelPutCommandText(const wchar_t* text, size_t length) {
  zelado::AssignText(m_text, text, length);
  m_markers = static_cast<size_t>(-1);
}
_bstr_t _Command::GetCommandText() { return _bstr_t(m_text.c_str()); }
void _Command::PutCommandType(CommandTypeEnum type) { m_type = type; }
CommandTypeEnum _Command::GetCommandType() { return m_type; }
void _Command::PutPrepared(VARIANT_BOOL prepared) { m_prepared = prepared; }
VARIANT_BOOL _Command::GetPrepared() { return m_prepared; }
void _Command::PutCommandTimeout(long seconds) { m_timeout = seconds; }
long _Command::GetCommandTimeout() { return m_timeout; }
ParametersPtr _Command::GetParameters() { return m_parameters; }

_ParameterPtr _Command::CreateParameter(_bstr_t Name, DataTypeEnum Type, ParameterDirectionEnum Direction, long Size,
                                        const _variant_t& Value) {
  return ZelCreateParameter(Name, Name.length(), Type, Direction, Size, Value);
}

_ParameterPtr _Command::ZelCreateParameter(const wchar_t* name, size_t length, DataTypeEnum Type,
                                           ParameterDirectionEnum Direction, long Size, const _variant_t& Value) {
  _ParameterPtr p = m_parameters->ZelMake();
  p->ZelPutName(name, length);
  p->PutType(Type);
  p->PutDirection(Direction);
  p->PutSize(Size);
  if (zelado::Given(Value))
    p->PutValue(Value);
  else if (p->ZelValue().vt != VT_EMPTY)
    p->PutValue(_variant_t());  // a text a reused parameter kept
  return p;
}

void _Command::ZelAppendParameter(const wchar_t* name, size_t length, DataTypeEnum Type,
                                  ParameterDirectionEnum Direction, long Size, const _variant_t& Value) {
  m_parameters->ZelAdd(ZelCreateParameter(name, length, Type, Direction, Size, Value));
}

_RecordsetPtr _Command::Execute(VARIANT* RecordsAffected, VARIANT* ParametersArg, long Options) {
  if (!m_connection) Raise(ErrorKind::InvalidConnection, L"the command has no active connection");
  zelado::Session& session = m_connection->ZelSession();
  if (m_text.empty()) Raise(ErrorKind::IllegalOperation, L"the command has no command text");
  long type = zelado::CommandTypeOf(Options);
  if (type == adCmdUnspecified) type = m_type;

  // Values given to Execute stand in for the input parameters, in order.
  const std::vector<_ParameterPtr>& items = m_parameters->ZelItems();
  std::vector<_variant_t> given;
  if (ParametersArg) given = zelado::ArrayItems(*ParametersArg);
  std::unique_ptr<zelado::RowStream> rows;
  size_t next = 0;
  if (type == adCmdStoredProc) {
    std::vector<zelado::EngineParam> params;
    for (const _ParameterPtr& p : items) {
      zelado::EngineParam e;
      e.name = zelado::Text(p->GetName());
      e.type = p->GetType();
      e.direction = p->GetDirection();
      _variant_t v = IsInput(e.direction) && next < given.size() ? given[next++] : p->GetValue();
      e.value = zelado::FromVariant(v, BindType(p, v));
      params.push_back(std::move(e));
    }
    rows = session.ExecuteProcedure(m_text, params);
    for (size_t i = 0; i < items.size(); ++i)
      if (!IsInput(params[i].direction) || params[i].direction == adParamInputOutput)
        items[i]->PutValue(zelado::ToVariant(params[i].value, params[i].type));
  } else {
    // Each run writes over the values of the last, keeping their text room.
    size_t n = 0;
    for (const _ParameterPtr& p : items) {
      if (!IsInput(p->GetDirection())) continue;
      const VARIANT& v = next < given.size() ? given[next++] : p->ZelValue();
      if (n == m_values.size()) m_values.emplace_back();
      zelado::FromVariantInto(v, BindType(p, v), m_values[n++]);
    }
    m_values.resize(n);
    // Statement text goes as it stands, without a copy per run.
    std::wstring built = type == adCmdText ? std::wstring() : zelado::StatementFor(m_text, type);
    const std::wstring& text = type == adCmdText ? m_text : built;
    if (type != adCmdText || m_markers == static_cast<size_t>(-1)) m_markers = zelado::CountMarkers(text, session.Dialect());
    // Checked before anything runs: a text of several statements would
    // otherwise run those before the one that lacks its value.
    zelado::CheckMarkers(m_markers, m_values.size());
    rows = session.Execute(text, m_values, false);
  }
  return _Recordset::ZelExecuted(m_connection, std::move(rows), RecordsAffected, Options, m_answers);
}
