#include "ZELFailure.h"

namespace zel_failure_detail {

ZELFailure FromCom(const _com_error& e) {
  ZELFailure f{ZELFailure::kCom, static_cast<long>(e.Error()), CString(e.ErrorMessage()), CString()};
  _bstr_t description = e.Description();
  if (description.length()) f.strDescription = static_cast<const wchar_t*>(description);
  return f;
}

ZELFailure FromMemory() {
  // No allocation here: the text is made by whoever has room to log it.
  ZELFailure f;
  f.origin = ZELFailure::kMemory;
  f.nCode = static_cast<long>(E_OUTOFMEMORY);
  return f;
}

ZELFailure FromFramework(const CException& e) {
  return ZELFailure{ZELFailure::kFramework, e.GetErrorCode(), e.GetErrorMessage(), CString()};
}

ZELFailure FromSystem(const std::system_error& e) {
  long code = e.code().category() == std::generic_category() || e.code().category() == std::system_category()
                  ? static_cast<long>(ZelWin32FromErrno(e.code().value()))
                  : static_cast<long>(ERROR_GEN_FAILURE);
  return ZELFailure{ZELFailure::kSystem, code, CString(ZelSystemMessage(static_cast<DWORD>(code)).c_str()),
                    CString(e.what())};
}

}  // namespace zel_failure_detail
