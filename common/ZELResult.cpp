#include "ZELResult.h"

namespace {

struct ResultText {
  int nCode;
  const wchar_t* pszText;
};

// Ranges: -1xx arguments and state, -2xx files, -3xx folders, -5xx
// connections and sessions, -6xx data.
const ResultText kTexts[] = {
    {0, L"Success"},
    {-101, L"The name or path is not valid"},
    {-102, L"The index is out of range"},
    {-103, L"The document is not open"},
    {-201, L"The file could not be deleted"},
    {-202, L"The file could not be created"},
    {-206, L"The file could not be renamed"},
    {-210, L"The file does not exist"},
    {-300, L"The folder could not be created"},
    {-301, L"The folder could not be deleted"},
    {-304, L"The folder could not be renamed"},
    {-306, L"The folder does not exist"},
    {-500, L"The session could not be opened"},
    {-502, L"No server was given"},
    {-503, L"Not connected"},
    {-511, L"The remote file could not be opened"},
    {-516, L"The address is not a valid FTP address"},
    {-606, L"The field does not hold long binary data"},
};

}  // namespace

CString ZELResult::GetResultString(int nCode) {
  for (const auto& t : kTexts)
    if (t.nCode == nCode) return CString(t.pszText);
  CString s;
  s.Format(L"Unknown result code %d", nCode);
  return s;
}
