// ZELCallBack: progress notifications to the application.
#pragma once

#include "ZELExport.h"

#include "platform/base/WinTypes.h"

struct __ZEL_NOTIFY {  // a plain aggregate, exactly these four members
  LONG nCode;          // 1 progress, 2 done (disk format)
  LONG nReserved;      // set by no caller
  LONG nKind;          // what happened, as each class says
  LONG_PTR nData;      // percentage, success flag, or the address of a record
};

class ZEL_EXPORT ZELCallBack {
public:
  virtual ~ZELCallBack() = default;
  // 2 asks a transfer to stop; any other value lets it go on.
  virtual long CallBack(__ZEL_NOTIFY& notify) { (void)notify; return 0; }
};
