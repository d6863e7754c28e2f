// ZELLog: the logging base class of the library's classes.
//
// A record is kept (bounded, oldest dropped first) and handed to the parent
// log object given to the constructor, so that one application-level log can
// gather the records of every object. Records may arrive from a worker thread
// (the serial watch thread), so the store is locked.
#pragma once

#include "ZELExport.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/mfc/String.h"

enum ZEL_LOG_TYPE {
  ZEL_LOG_NONE = 0,
  ZEL_LOG_INFO = 1,
  ZEL_LOG_WARNING = 2,
  ZEL_LOG_ERROR = 3,     // error reports
  ZEL_LOG_FILEERROR = 4  // file errors
};

// The categories the classes pass. Their numbers are fixed by what callers
// read back; the names say what each class uses them for.
enum ZEL_LOG_CATEGORY {
  ZEL_CATEGORY_GENERAL = 0,    // warnings, file opens of the blob readers
  ZEL_CATEGORY_RESULT = 1,     // a family result code (FTP), navigation refusals
  ZEL_CATEGORY_SYSTEM = 2,     // a system or internet error code
  ZEL_CATEGORY_CAUGHT = 3,     // a platform failure caught by the XML class
  ZEL_CATEGORY_COM = 6         // a COM error of the database layer
};

// The last argument of SetLog and SetLog_Warning as the classes pass it.
enum { ZEL_LOG_FLAG_REPORT = 1 };

struct ZEL_LOG_RECORD {
  BOOL bWarning;        // TRUE for SetLog_Warning
  int nType;            // SetLog's type (0 for a warning)
  long nCategory;
  long nCode;           // 0 for a warning
  CString strText;
  CString strDetail;
  CString strSource;    // empty for a warning
  CString strFunction;  // empty for a warning
  int nLine;            // 0 for a warning
  int nFlag;
};

class ZEL_EXPORT ZELLog {
public:
  // The records held at most; the oldest go first.
  static constexpr int kMaxRecords = 4096;

  // nLevel 0 keeps no records of its own (they still reach the parent);
  // any other value keeps them. pszName names the log in ReportLog's output.
  explicit ZELLog(ZELLog* pParent = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  ZELLog(const ZELLog& src);
  virtual ~ZELLog();
  ZELLog& operator=(const ZELLog& src);

  virtual CString GetLogCategoryString(long nCategory);

  void SetLog(int nType, long nCategory, long nCode, const wchar_t* pszText, const wchar_t* pszDetail,
              const wchar_t* pszSource, const wchar_t* pszFunction, int nLine, int nFlag);
  void SetLog_Warning(long nCategory, const wchar_t* pszText, const wchar_t* pszDetail, int nFlag);
  // Writes the newest record to standard error when the log was named.
  void ReportLog();
  // Called on an embedded object: hands the records it gathered since the
  // last call to the owning object, which keeps (and forwards) them as its own.
  void SafeLogCopy(ZELLog* pOwner);

  int GetLogCount() const;
  // A copy: the store may drop the record while other threads log.
  ZEL_LOG_RECORD GetLog(int index) const;  // 0 <= index < GetLogCount()
  void ClearLog();

  ZELLog* GetParentLog() const { return m_pParent; }

private:
  void Record(const ZEL_LOG_RECORD& rec);

  ZELLog* m_pParent;
  int m_nLevel;
  CString m_strName;
  mutable std::mutex m_lock;
  std::deque<ZEL_LOG_RECORD> m_records;
  size_t m_nCopied = 0;  // records already handed over by SafeLogCopy
  // Records not yet handed over: SafeLogCopy runs after every call of a
  // class, nearly always with nothing to hand over, and then costs one read.
  std::atomic<size_t> m_nFresh{0};
  void NoteFresh() { m_nFresh.store(m_records.size() - m_nCopied, std::memory_order_release); }  // under m_lock
};
