// The catch-all of ZELXml's guarded operations, shared by its source files.
#pragma once

#include "ZELXml.h"

template <class F>
BOOL ZELXml::Guard(const wchar_t* op, int line, F body) {
  try {
    body();
    return TRUE;
  } catch (...) {
    CString function = CString(L"ZELXml::") + op;
    Report(op, function, line);
    return FALSE;
  }
}
