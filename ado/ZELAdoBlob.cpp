// ZELAdo: long binary fields to and from files, in chunks of 1024 bytes.
#include <cerrno>
#include <cstring>
#include <string>

#include "ZELAdo.h"
#include "ZELAdoInternal.h"
#include "ZELGF.h"
#include "ZELResult.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/WinError.h"
#include "platform/mfc/File.h"

namespace {
const wchar_t kSource[] = L".\\ZELAdo";
const long kChunk = 1024;

// A byte array of n elements in vChunk (which it replaces); FALSE when the
// array cannot be made.
BOOL MakeByteChunk(_variant_t& vChunk, long n) {
  vChunk.Clear();
  SAFEARRAY* pArray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(n));
  if (pArray == NULL) return FALSE;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = pArray;
  vChunk.Attach(v);
  return TRUE;
}

// The bytes a chunk carries: the elements of a byte array in index order,
// or the UTF-8 form of a text chunk (a long text field). Anything else
// carries nothing, which ends the transfer.
std::string ChunkBytes(const _variant_t& vChunk) {
  std::string bytes;
  if (vChunk.vt == (VT_ARRAY | VT_UI1) && vChunk.parray != NULL) {
    LONG nUpper = -1;
    void* pData = NULL;
    if (FAILED(SafeArrayGetUBound(vChunk.parray, 1, &nUpper)) || nUpper < 0) return bytes;
    if (FAILED(SafeArrayAccessData(vChunk.parray, &pData))) return bytes;
    bytes.assign(static_cast<const char*>(pData), static_cast<size_t>(nUpper) + 1);
    SafeArrayUnaccessData(vChunk.parray);
  } else if (vChunk.vt == VT_BSTR && vChunk.bstrVal != NULL) {
    bytes = ZelWideToUtf8(vChunk.bstrVal, SysStringLen(vChunk.bstrVal));
  }
  return bytes;
}

// A file that cannot be opened, read or written: its cause code, the
// system's text for it, and the file's name.
void LogFileError(ZELLog& log, long nCategory, const CFileException& ex, ZelAdoSite site) {
  const ZELReportSite& at = ZelAdoSiteOf(site);
  log.SetLog(ZEL_LOG_FILEERROR, nCategory, ex.m_cause, ZELGF::FormatMsg(static_cast<DWORD>(ex.m_cause)),
             ex.m_strFileName, kSource, at.pszFunction, at.nLine, ZEL_LOG_FLAG_REPORT);
}

void LogErrno(ZELLog& log, int nErrno, const wchar_t* pszPath, ZelAdoSite site) {
  CFileException ex;
  ex.SetFromErrno(nErrno ? nErrno : EIO, pszPath);
  LogFileError(log, ZEL_CATEGORY_SYSTEM, ex, site);
}

void LogChunkFailure(ZELLog& log, ZelAdoSite site) {
  DWORD dwError = GetLastError();
  const ZELReportSite& at = ZelAdoSiteOf(site);
  log.SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_SYSTEM, static_cast<long>(dwError), ZELGF::FormatMsg(dwError),
             L"Fail to allocate safe-array", kSource, at.pszFunction, at.nLine, ZEL_LOG_FLAG_REPORT);
}

// Runs a transfer loop (FALSE when it gave up, having reported why) and
// closes the file. A file error inside it is reported like a failed open;
// the file is then abandoned with what was written so far.
template <class Loop>
int Transfer(ZELLog& log, CFile& file, long nCategory, ZelAdoSite site, Loop&& loop) {
  try {
    if (!loop()) {
      file.Abort();
      return 0;
    }
  } catch (CFileException* pError) {
    LogFileError(log, nCategory, *pError, site);
    pError->Delete();
    file.Abort();
    return 0;
  }
  file.Close();
  return 1;
}

// How much of the field a chunk covers, in the unit ActualSize counts.
long ChunkUnits(const _variant_t& vChunk, const std::string& bytes) {
  return vChunk.vt == VT_BSTR ? static_cast<long>(SysStringLen(vChunk.bstrVal)) : static_cast<long>(bytes.size());
}
}  // namespace

// The field when the key names a field of long data; otherwise (no such
// field, no recordset, another kind of field) none, after the "NOT BLOB"
// warning.
FieldPtr ZELAdo::BlobField(const _variant_t& vKey) {
  try {
    FieldPtr pField = GetField(vKey);
    if (pField != NULL && (pField->GetAttributes() & adFldLong) != 0) return pField;
  } catch (const _com_error&) {
  }
  SetLog_Warning(ZEL_CATEGORY_GENERAL, ZELResult::GetResultString(ZEL_RESULT_NOT_BLOB), L"NOT BLOB", ZEL_LOG_FLAG_REPORT);
  return FieldPtr();
}

// The file is written beside its target and renamed over it at the end,
// so a transfer that fails part way leaves an existing file as it was.
int ZELAdo::BlobToFile(_variant_t vKey, const wchar_t* pszPath) {
  int nResult = 0;
  Guard(kAdoBlobToFile, kCheckDisconnect, [&] {
    FieldPtr pField = BlobField(vKey);
    if (pField == NULL) return;
    const wchar_t* pszName = pszPath ? pszPath : L"";
    ZelAtomicFile file;
    if (!file.Open(CString(pszName).ToUtf8())) {
      // The new file is made in the target's folder: a missing name there
      // is a missing folder.
      LogErrno(*this, errno == ENOENT ? ENOTDIR : errno, pszName, kAdoBlobFileWrite);
      return;
    }
    // The whole field every time: an earlier call on this record read it to its end.
    pField->ZelRestartChunks();
    long nSize = pField->GetActualSize();
    long nDone = 0;
    while (nDone < nSize) {
      _variant_t vChunk = pField->GetChunk(kChunk);
      std::string bytes = ChunkBytes(vChunk);
      long nUnits = ChunkUnits(vChunk, bytes);
      if (nUnits <= 0) break;
      if (!file.Write(bytes.data(), bytes.size())) {
        LogErrno(*this, errno, pszName, kAdoBlobFileWrite);
        return;
      }
      nDone += nUnits;
    }
    if (!file.Commit()) {
      LogErrno(*this, errno, pszName, kAdoBlobFileWrite);
      return;
    }
    nResult = 1;
  });
  return nResult;
}

int ZELAdo::BlobToFile(long nIndex, const wchar_t* pszPath) { return BlobToFile(ZelAdoPositionKey(nIndex), pszPath); }

int ZELAdo::BlobToFile(const wchar_t* pszName, const wchar_t* pszPath) {
  return BlobToFile(ZelAdoNameKey(pszName), pszPath);
}

int ZELAdo::FileToBlob(_variant_t vKey, const wchar_t* pszPath) {
  CFile file;
  int nResult = 0;
  BOOL bRan = Guard(kAdoFileToBlob, kCheckDisconnect, [&] {
    FieldPtr pField = BlobField(vKey);
    if (pField == NULL) return;
    CFileException ex;
    if (!file.Open(pszPath ? pszPath : L"", CFile::modeRead | CFile::typeBinary, &ex)) {
      LogFileError(*this, ZEL_CATEGORY_GENERAL, ex, kAdoBlobFileRead);
      return;
    }
    _variant_t vChunk;
    if (!MakeByteChunk(vChunk, kChunk)) {
      LogChunkFailure(*this, kAdoBlobChunk);
      file.Close();
      return;
    }
    ULONGLONG nLength = file.GetLength();
    ULONGLONG nDone = 0;
    BYTE buffer[kChunk];
    nResult = Transfer(*this, file, ZEL_CATEGORY_GENERAL, kAdoBlobFileRead, [&] {
      while (nDone < nLength) {
        UINT n = file.Read(buffer, kChunk);
        // A file cut short while it is read ends the transfer at its end.
        if (n == 0) break;
        if (n < static_cast<UINT>(kChunk) && !MakeByteChunk(vChunk, static_cast<long>(n))) {
          LogChunkFailure(*this, kAdoBlobShortChunk);
          return false;
        }
        void* pData = NULL;
        if (FAILED(SafeArrayAccessData(vChunk.parray, &pData))) _com_issue_error(E_UNEXPECTED);
        memcpy(pData, buffer, n);
        SafeArrayUnaccessData(vChunk.parray);
        ZelAdoNeed(GetField(vKey))->AppendChunk(vChunk);
        nDone += n;
      }
      return true;
    });
  });
  if (!bRan) file.Abort();
  return nResult;
}

int ZELAdo::FileToBlob(long nIndex, const wchar_t* pszPath) { return FileToBlob(ZelAdoPositionKey(nIndex), pszPath); }

int ZELAdo::FileToBlob(const wchar_t* pszName, const wchar_t* pszPath) {
  return FileToBlob(ZelAdoNameKey(pszName), pszPath);
}
