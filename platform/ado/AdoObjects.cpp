// Class ids and the creators _com_ptr_t::CreateInstance finds.
#include "platform/ado/Ado.h"

const CLSID CLSID_Connection = {0x5a0e1001, 0x7e1d, 0x4c0a, {0x9a, 0x1d, 0x2e, 0x10, 0x00, 0x00, 0x00, 0x01}};
const CLSID CLSID_Recordset = {0x5a0e1001, 0x7e1d, 0x4c0a, {0x9a, 0x1d, 0x2e, 0x10, 0x00, 0x00, 0x00, 0x02}};
const CLSID CLSID_Command = {0x5a0e1001, 0x7e1d, 0x4c0a, {0x9a, 0x1d, 0x2e, 0x10, 0x00, 0x00, 0x00, 0x03}};
const CLSID CLSID_Parameter = {0x5a0e1001, 0x7e1d, 0x4c0a, {0x9a, 0x1d, 0x2e, 0x10, 0x00, 0x00, 0x00, 0x04}};

namespace {

template <class T>
HRESULT Create(const CLSID& clsid, const CLSID& mine, T** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != mine) return REGDB_E_CLASSNOTREG;
  *out = new T;
  (*out)->AddRef();
  return S_OK;
}

}  // namespace

HRESULT ZelCreateObject(const CLSID& clsid, _Connection** out) { return Create(clsid, CLSID_Connection, out); }
HRESULT ZelCreateObject(const CLSID& clsid, _Recordset** out) { return Create(clsid, CLSID_Recordset, out); }
HRESULT ZelCreateObject(const CLSID& clsid, _Command** out) { return Create(clsid, CLSID_Command, out); }
HRESULT ZelCreateObject(const CLSID& clsid, _Parameter** out) { return Create(clsid, CLSID_Parameter, out); }
