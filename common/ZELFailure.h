// The one failure frame of the library's classes.
//
// A guarded operation runs its body inside ZelGuarded(). What the platform
// raises when a facility fails -- a _com_error, an allocation that could not
// be made, a framework exception (thrown as a pointer, freed here) or a
// system error from the runtime -- becomes one ZELFailure handed to the
// class's reporter, and the operation answers FALSE. Anything else (a
// std::logic_error such as CArray's out-of-range, a null dereference) is a
// bug in the library or its caller and is left to propagate, so it is seen
// rather than logged as if the facility had refused.
//
// Each class keeps its own table of report sites (function name and the line
// its records carry) and its own reporter, which turns a ZELFailure into the
// record its description asks for.
#pragma once

#include <new>
#include <system_error>

#include "ZELExport.h"
#include "platform/base/WinError.h"
#include "platform/mfc/File.h"
#include "platform/oleaut/ComError.h"

// Where a class reports from: its function name ("ZELFtp::SetRemoteDir")
// and the line number its records carry.
struct ZELReportSite {
  const wchar_t* pszFunction;
  int nLine;
};

struct ZELFailure {
  enum Origin {
    kCom,        // a _com_error: nCode is its HRESULT
    kMemory,     // std::bad_alloc: nCode is E_OUTOFMEMORY
    kFramework,  // a CException*: nCode is its GetErrorCode()
    kSystem      // std::system_error: nCode is the Win32 code of its errno
  };
  Origin origin;
  long nCode;
  CString strText;         // the message text of the code
  CString strDescription;  // the facility's own words, empty when it gave none
};

namespace zel_failure_detail {
ZEL_EXPORT ZELFailure FromCom(const _com_error& e);
ZEL_EXPORT ZELFailure FromMemory();
ZEL_EXPORT ZELFailure FromFramework(const CException& e);
ZEL_EXPORT ZELFailure FromSystem(const std::system_error& e);

// A reporter that cannot make its record (memory is gone) has nowhere to
// turn; the operation still answers its failure.
template <class Report>
void Deliver(Report& report, const ZELFailure& f) noexcept {
  try {
    report(f);
  } catch (const std::bad_alloc&) {
  }
}
}  // namespace zel_failure_detail

// Runs body(); on a facility failure calls report(const ZELFailure&) and
// answers FALSE, otherwise TRUE.
template <class Body, class Report>
BOOL ZelGuarded(Body&& body, Report&& report) {
  using namespace zel_failure_detail;
  try {
    body();
    return TRUE;
  } catch (const _com_error& e) {
    ZELFailure f;
    try {
      f = FromCom(e);
    } catch (const std::bad_alloc&) {
      f = FromMemory();
    }
    Deliver(report, f);
  } catch (const std::bad_alloc&) {
    Deliver(report, FromMemory());
  } catch (CException* e) {
    ZELFailure f;
    try {
      f = FromFramework(*e);
    } catch (const std::bad_alloc&) {
      f = FromMemory();
    }
    e->Delete();
    Deliver(report, f);
  } catch (const std::system_error& e) {
    Deliver(report, FromSystem(e));
  }
  return FALSE;
}
