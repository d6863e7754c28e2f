// ZELResult: texts of the family's common result codes (0 success,
// negative failure).
#pragma once

#include "ZELExport.h"

#include "platform/mfc/String.h"

// The family's result codes by name. Ranges: -1xx arguments and state,
// -2xx files, -3xx folders, -5xx sessions and connections, -6xx data.
enum ZEL_RESULT {
  ZEL_RESULT_OK = 0,
  ZEL_RESULT_INVALID_NAME = -101,
  ZEL_RESULT_OUT_OF_RANGE = -102,
  ZEL_RESULT_NOT_OPEN = -103,
  ZEL_RESULT_FILE_DELETE = -201,
  ZEL_RESULT_FILE_CREATE = -202,
  ZEL_RESULT_FILE_RENAME = -206,
  ZEL_RESULT_FILE_MISSING = -210,
  ZEL_RESULT_DIR_CREATE = -300,
  ZEL_RESULT_DIR_DELETE = -301,
  ZEL_RESULT_DIR_RENAME = -304,
  ZEL_RESULT_DIR_MISSING = -306,
  ZEL_RESULT_SESSION = -500,
  ZEL_RESULT_NO_SERVER = -502,
  ZEL_RESULT_NOT_CONNECTED = -503,
  ZEL_RESULT_REMOTE_OPEN = -511,
  ZEL_RESULT_NOT_FTP_URL = -516,
  ZEL_RESULT_NOT_BLOB = -606
};

class ZEL_EXPORT ZELResult {
public:
  static CString GetResultString(int nCode);
  static BOOL IsFailure(int nCode) { return nCode < 0; }
};
