// Names of the data-access objects and their handles, for headers that only
// pass them around.
#pragma once

#include "ZELExport.h"

#include "platform/ado/AdoEnums.h"
#include "platform/ado/AdoErrors.h"
#include "platform/base/Com.h"
#include "platform/oleaut/OleAut.h"

struct _Connection;
struct _Recordset;
struct _Command;
struct Fields;
struct Field;
struct Parameters;
struct _Parameter;

typedef _com_ptr_t<_Connection> _ConnectionPtr;
typedef _com_ptr_t<_Recordset> _RecordsetPtr;
typedef _com_ptr_t<_Command> _CommandPtr;
typedef _com_ptr_t<Fields> FieldsPtr;
typedef _com_ptr_t<Field> FieldPtr;
typedef _com_ptr_t<Parameters> ParametersPtr;
typedef _com_ptr_t<_Parameter> _ParameterPtr;

extern ZEL_EXPORT const CLSID CLSID_Connection;
extern ZEL_EXPORT const CLSID CLSID_Recordset;
extern ZEL_EXPORT const CLSID CLSID_Command;
extern ZEL_EXPORT const CLSID CLSID_Parameter;

// Found by _com_ptr_t<T>::CreateInstance; a class id of another kind of
// object answers REGDB_E_CLASSNOTREG.
ZEL_EXPORT HRESULT ZelCreateObject(const CLSID& clsid, _Connection** out);
ZEL_EXPORT HRESULT ZelCreateObject(const CLSID& clsid, _Recordset** out);
ZEL_EXPORT HRESULT ZelCreateObject(const CLSID& clsid, _Command** out);
ZEL_EXPORT HRESULT ZelCreateObject(const CLSID& clsid, _Parameter** out);

namespace zelado {
class Session;
class RowStream;
struct RecordsetState;
struct Value;
}  // namespace zelado
