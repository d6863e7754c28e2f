// ZELFtpItem: one entry of a remote folder listing, read by its public
// members.
#pragma once

#include "ZELExport.h"
#include "platform/mfc/String.h"
#include "platform/mfc/Time.h"

class ZEL_EXPORT ZELFtpItem {
public:
  enum { TYPE_NONE = 0, TYPE_FILE = 1, TYPE_DIR = 2 };

  ZELFtpItem();
  ZELFtpItem(const ZELFtpItem& src);
  virtual ~ZELFtpItem();
  ZELFtpItem& operator=(const ZELFtpItem& src);

  // Back to no entry, stamped with the current time.
  void Clear();

  CString m_strName;            // the name without its folder
  unsigned long m_dwSize;       // the low 32 bits of the size
  int m_nType;                  // TYPE_NONE, TYPE_FILE or TYPE_DIR
  CTime m_tmLastWrite;          // UTC
};
