// The command object: a statement with ? markers bound by position from its
// parameters, or a stored procedure where the engine has them.
#pragma once

#include "ZELExport.h"

#include "platform/ado/AdoFwd.h"

#include <string>
#include <vector>

namespace zelado {
struct Value;
}  // namespace zelado

struct ZEL_EXPORT _Command : IDispatch {
  _Command();
  ~_Command() override;

  void PutRefActiveConnection(_Connection* connection);
  // A connection object as VT_DISPATCH / VT_UNKNOWN, or VT_EMPTY / VT_NULL for none.
  void PutActiveConnection(const _variant_t& connection);
  _ConnectionPtr GetActiveConnection();
  void PutCommandText(_bstr_t text);
  ZEL_NO_EXPORT void ZelPutCommandText(const wchar_t* text, size_t length);  // keeps the room of the old text
  _bstr_t GetCommandText();
  void PutCommandType(CommandTypeEnum type);
  CommandTypeEnum GetCommandType();
  void PutPrepared(VARIANT_BOOL prepared);
  VARIANT_BOOL GetPrepared();
  void PutCommandTimeout(long seconds);
  long GetCommandTimeout();

  ParametersPtr GetParameters();
  _ParameterPtr CreateParameter(_bstr_t Name, DataTypeEnum Type, ParameterDirectionEnum Direction, long Size,
                                const _variant_t& Value = vtMissing);
  // The same from a plain name, so a caller holding one makes no string for it.
  ZEL_NO_EXPORT _ParameterPtr ZelCreateParameter(const wchar_t* name, size_t length, DataTypeEnum Type,
                                   ParameterDirectionEnum Direction, long Size, const _variant_t& Value);
  // Makes a parameter as above and appends it, for a caller that builds the
  // collection again for each run.
  ZEL_NO_EXPORT void ZelAppendParameter(const wchar_t* name, size_t length, DataTypeEnum Type, ParameterDirectionEnum Direction,
                          long Size, const _variant_t& Value);

  // Options: a CommandTypeEnum (adCmdText, adCmdStoredProc, adCmdTable),
  // possibly with adExecuteNoRecords; adCmdUnspecified takes the command
  // type. Parameters, when given, is an array of values for the input
  // parameters in order (it replaces their values for this run).
  _RecordsetPtr Execute(VARIANT* RecordsAffected, VARIANT* Parameters, long Options);

private:
  _ConnectionPtr m_connection;
  ParametersPtr m_parameters;
  std::wstring m_text;
  // The ? markers of m_text, counted once per text: commands run per row.
  size_t m_markers = static_cast<size_t>(-1);
  // The values of the input parameters for the engine, kept between runs.
  // The engine may read them where they lie while a statement runs.
  std::vector<zelado::Value> m_values;
  _RecordsetPtr m_answers[2];  // closed answers to hand out again
  CommandTypeEnum m_type = adCmdUnknown;
  VARIANT_BOOL m_prepared = VARIANT_FALSE;
  long m_timeout = 30;
};
