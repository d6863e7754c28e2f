// ZELExcel's row cursor and cell texts. The class keeps its own row index
// beside the recordset's position; the two are aligned by MoveFirst and Seek.
#include "ZELExcel.h"

#include "ZELExcelGuard.h"

#include "platform/ado/Provider.h"
#include "platform/ado/Recordset.h"
#include "platform/base/Utf8.h"
#include "platform/mfc/FixedText.h"

#include <cstring>
#include <cwchar>

namespace {

// A cell's text is made once per read and usually dropped by the caller
// at once: a block of the small-block pool costs a fraction of a heap
// buffer to make and to free, and reads like any other string.
CString Packed(const wchar_t* wide, size_t n) { return CString::Packed(wide, static_cast<int>(n)); }

// Room for the text of a number or of a short text.
const size_t kShort = 256;
static_assert(kShort <= kZelFixedTextMax, "a number's text fits");

// A short text without a NUL, decoded into `wide` as the general path
// would; false for anything else (a NUL ends the general path's copy, a
// long text does not fit), which the general path converts.
bool ShortText(const std::string& bytes, wchar_t* wide, size_t& n) {
  if (bytes.size() > kShort || std::memchr(bytes.data(), 0, bytes.size())) return false;
  n = ZelUtf8ToWideInto(bytes.data(), bytes.size(), wide);
  return true;
}

// A sheet's cell read per call: a number or a text of a column that takes
// any kind (every column of a sheet), formatted from the value the engine
// holds into `wide`, with no variant in between. Anything else, and any
// failure, answers false and the general path reads the cell again (and
// reports).
bool ReadCellText(ZELAdo& ado, int nCol, wchar_t* wide, size_t& n) {
  _Recordset* rs = ado.GetRecordset().GetInterfacePtr();
  if (!rs) return false;
  bool bDone = false;
  ZelGuarded(
      [&] {
        VARIANT key{};  // a position owns nothing
        key.vt = VT_I4;
        key.lVal = nCol;
        DataTypeEnum type;
        const zelado::Value& v = rs->ZelCell(key, type);
        if (type != adVariant) return;
        if (v.kind == zelado::Value::Real && v.shown == zelado::Value::AsStored) {
          n = ZelFixedText(v.r, wide);
          bDone = true;
        } else if (v.kind == zelado::Value::Text) {
          bDone = ShortText(v.bytes, wide, n);
        }
      },
      [](const ZELFailure&) {});  // the general path meets it again and reports it
  return bDone;
}

void FormatReal(double d, CString& strText) {
  wchar_t wide[kZelFixedTextMax];
  strText = Packed(wide, ZelFixedText(d, wide));
}

}  // namespace

int ZELExcel::MoveFirst() {
  m_nCurRow = 0;
  return m_ado.MoveFirst();
}

int ZELExcel::MoveLast() {
  m_nCurRow = m_nRowCount - 1;
  return m_ado.MoveLast();
}

int ZELExcel::AppendRow() { return m_ado.AddNew() && m_ado.Update(); }

int ZELExcel::MoveNext(int nAppend) {
  ++m_nCurRow;
  if (m_nCurRow < m_nRowCount) return m_ado.MoveNext() ? 1 : 0;
  if (!nAppend) {
    --m_nCurRow;
    return 0;
  }
  if (!AppendRow()) return 0;
  ++m_nRowCount;
  return 1;
}

int ZELExcel::MovePrevious() {
  --m_nCurRow;
  if (m_nCurRow >= 0) return m_ado.MovePrevious() ? 1 : 0;
  ++m_nCurRow;
  return 0;
}

int ZELExcel::Seek(int nRow, int nAppend) {
  if (!m_ado.IsRecordsetOpened()) {
    m_strLastError = L"Recordset is not opened!!";
    return 0;
  }
  if (nRow > m_nRowCount - 1 && !nAppend) {
    m_strLastError = L"Row is over!!";
    return 0;
  }
  if (!m_ado.MoveFirst()) {
    m_ado.SafeLogCopy(this);
    return 0;
  }
  for (LONGLONG i = 0; i <= nRow; ++i) {
    if (i > m_nRowCount - 1) {
      if (!AppendRow()) {
        m_ado.SafeLogCopy(this);
        return 0;
      }
      ++m_nRowCount;
    } else if (i != nRow && !m_ado.MoveNext()) {
      m_ado.SafeLogCopy(this);
      return 0;
    }
  }
  m_nCurRow = nRow;
  return 1;
}

CString ZELExcel::GetText(int nCol) {
  wchar_t wide[kZelFixedTextMax];
  size_t n = 0;
  if (ReadCellText(m_ado, nCol, wide, n)) {
    m_ado.SafeLogCopy(this);  // what the database object logged before (a failed move)
    return Packed(wide, n);
  }
  CString strText;
  Guard(kExcelGetText, [&] {
    _variant_t vValue;
    if (!m_ado.GetFieldValueByIndex(nCol, vValue)) return;
    switch (vValue.vt) {
      case VT_I2: strText.Format(L"%d", vValue.iVal); break;
      case VT_BOOL: strText.Format(L"%d", static_cast<short>(vValue.boolVal)); break;
      case VT_I4: strText.Format(L"%d", static_cast<int>(vValue.lVal)); break;
      case VT_INT: strText.Format(L"%d", vValue.intVal); break;
      case VT_UI4: strText.Format(L"%d", static_cast<int>(vValue.ulVal)); break;
      case VT_UINT: strText.Format(L"%d", static_cast<int>(vValue.uintVal)); break;
      case VT_UI1: strText.Format(L"%d", vValue.bVal); break;
      case VT_UI2: strText.Format(L"%d", vValue.uiVal); break;
      case VT_I1: strText.Format(L"%c", static_cast<wchar_t>(static_cast<unsigned char>(vValue.cVal))); break;
      case VT_R4: FormatReal(static_cast<double>(vValue.fltVal), strText); break;
      case VT_R8: FormatReal(vValue.dblVal, strText); break;
      case VT_BSTR: strText = vValue.bstrVal; break;
      default: break;  // empty, null, currency, dates, decimals, 64-bit, objects
    }
  });
  m_ado.SafeLogCopy(this);
  return strText;
}

CString ZELExcel::GetText(int nRow, int nCol) {
  if (!m_ado.IsRecordsetOpened()) {
    m_strLastError = L"Excel is not opened";
    return CString();
  }
  if (nRow >= m_nRowCount) return CString();
  Seek(nRow, 0);
  return GetText(nCol);
}

int ZELExcel::SetText(int nCol, const wchar_t* pszText) {
  int nDone = 0;
  Guard(kExcelSetText, [&] {
    if (!m_ado.SetFieldValue(_variant_t(static_cast<long>(nCol)), _variant_t(pszText ? pszText : L""))) return;
    nDone = m_ado.Update() ? 1 : 0;
  });
  return nDone;
}

int ZELExcel::SetText(int nRow, int nCol, const wchar_t* pszText) {
  if (!m_ado.IsRecordsetOpened()) {
    m_strLastError = L"Excel is not opened";
    return 0;
  }
  Seek(nRow, 1);
  return SetText(nCol, pszText);
}

CString ZELExcel::GetLastError() { return m_strLastError; }
