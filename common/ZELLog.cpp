#include "ZELLog.h"

#include <cstdio>
#include <stdexcept>

ZELLog::ZELLog(ZELLog* pParent, int nLevel, const wchar_t* pszName)
    : m_pParent(pParent), m_nLevel(nLevel), m_strName(pszName) {}

ZELLog::ZELLog(const ZELLog& src) : m_pParent(src.m_pParent), m_nLevel(src.m_nLevel), m_strName(src.m_strName) {
  std::lock_guard<std::mutex> g(src.m_lock);
  m_records = src.m_records;
  m_nCopied = src.m_nCopied;
  NoteFresh();
}

ZELLog::~ZELLog() = default;

ZELLog& ZELLog::operator=(const ZELLog& src) {
  if (this == &src) return *this;
  // Copy under the source's lock, then swap in under ours: never both at once.
  std::deque<ZEL_LOG_RECORD> records;
  size_t copied;
  {
    std::lock_guard<std::mutex> g(src.m_lock);
    records = src.m_records;
    copied = src.m_nCopied;
  }
  std::lock_guard<std::mutex> g(m_lock);
  m_pParent = src.m_pParent;
  m_nLevel = src.m_nLevel;
  m_strName = src.m_strName;
  m_records.swap(records);
  m_nCopied = copied;
  NoteFresh();
  return *this;
}

CString ZELLog::GetLogCategoryString(long nCategory) {
  switch (nCategory) {
    case 0: return L"General";
    case 1: return L"Result";
    case 2: return L"System";
    case 3: return L"Document";
    case 6: return L"Database";
    default: {
      CString s;
      s.Format(L"Category %ld", static_cast<LONG>(nCategory));
      return s;
    }
  }
}

void ZELLog::SetLog(int nType, long nCategory, long nCode, const wchar_t* pszText, const wchar_t* pszDetail,
                    const wchar_t* pszSource, const wchar_t* pszFunction, int nLine, int nFlag) {
  Record(ZEL_LOG_RECORD{FALSE, nType, nCategory, nCode, pszText, pszDetail, pszSource, pszFunction, nLine, nFlag});
}

void ZELLog::SetLog_Warning(long nCategory, const wchar_t* pszText, const wchar_t* pszDetail, int nFlag) {
  Record(ZEL_LOG_RECORD{TRUE, 0, nCategory, 0, pszText, pszDetail, CString(), CString(), 0, nFlag});
}

void ZELLog::Record(const ZEL_LOG_RECORD& rec) {
  if (m_nLevel != 0) {
    std::lock_guard<std::mutex> g(m_lock);
    m_records.push_back(rec);
    while (m_records.size() > static_cast<size_t>(kMaxRecords)) {
      m_records.pop_front();
      if (m_nCopied) --m_nCopied;
    }
    NoteFresh();
  }
  // The parent keeps its own copy; it may have a parent of its own.
  if (m_pParent && m_pParent != this) m_pParent->Record(rec);
}

void ZELLog::ReportLog() {
  if (m_strName.IsEmpty()) return;
  ZEL_LOG_RECORD rec;
  {
    std::lock_guard<std::mutex> g(m_lock);
    if (m_records.empty()) return;
    rec = m_records.back();
  }
  std::fprintf(stderr, "%s: %s %ld %s (%s) %s %s:%d\n", m_strName.ToUtf8().c_str(),
               rec.bWarning ? "warning" : "error", rec.nCode, rec.strText.ToUtf8().c_str(),
               rec.strDetail.ToUtf8().c_str(), rec.strFunction.ToUtf8().c_str(), rec.strSource.ToUtf8().c_str(),
               rec.nLine);
}

void ZELLog::SafeLogCopy(ZELLog* pOwner) {
  if (!pOwner || pOwner == this || m_nFresh.load(std::memory_order_acquire) == 0) return;
  std::deque<ZEL_LOG_RECORD> fresh;
  {
    std::lock_guard<std::mutex> g(m_lock);
    fresh.assign(m_records.begin() + static_cast<std::ptrdiff_t>(m_nCopied), m_records.end());
    m_nCopied = m_records.size();
    NoteFresh();
  }
  for (const auto& r : fresh) pOwner->Record(r);
}

int ZELLog::GetLogCount() const {
  std::lock_guard<std::mutex> g(m_lock);
  return static_cast<int>(m_records.size());
}

ZEL_LOG_RECORD ZELLog::GetLog(int index) const {
  std::lock_guard<std::mutex> g(m_lock);
  if (index < 0 || static_cast<size_t>(index) >= m_records.size()) throw std::out_of_range("ZELLog::GetLog index");
  return m_records[static_cast<size_t>(index)];
}

void ZELLog::ClearLog() {
  std::lock_guard<std::mutex> g(m_lock);
  m_records.clear();
  m_nCopied = 0;
  NoteFresh();
}
