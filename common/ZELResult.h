// ZELResult: texts of the family's common result codes (0 success,
// negative failure).
#pragma once

#include "platform/mfc/String.h"

class ZELResult {
public:
  static CString GetResultString(int nCode);
  static BOOL IsFailure(int nCode) { return nCode < 0; }
};
