#include "platform/oleaut/ComError.h"

#include <cstring>
#include <string>

#include "platform/base/WinError.h"

namespace {
const HRESULT kWCodeFirst = static_cast<HRESULT>(0x80040200);
const HRESULT kWCodeLast = static_cast<HRESULT>(0x8004FFFF);
}  // namespace

_com_error::_com_error(HRESULT hr, IErrorInfo* perrinfo, bool fAddRef) noexcept
    : m_hresult(hr), m_perrinfo(perrinfo), m_hasDescription(false), m_pszMsg(nullptr) {
  if (fAddRef && m_perrinfo) m_perrinfo->AddRef();
}

_com_error::_com_error(HRESULT hr, const wchar_t* description)
    : m_hresult(hr), m_perrinfo(nullptr), m_description(description), m_hasDescription(description != nullptr),
      m_pszMsg(nullptr) {}

_com_error::_com_error(const _com_error& that) noexcept
    : m_hresult(that.m_hresult), m_perrinfo(that.m_perrinfo), m_description(that.m_description),
      m_hasDescription(that.m_hasDescription), m_pszMsg(nullptr) {
  if (m_perrinfo) m_perrinfo->AddRef();
}

_com_error& _com_error::operator=(const _com_error& that) noexcept {
  if (this != &that) {
    if (that.m_perrinfo) that.m_perrinfo->AddRef();
    if (m_perrinfo) m_perrinfo->Release();
    m_hresult = that.m_hresult;
    m_perrinfo = that.m_perrinfo;
    m_description = that.m_description;
    m_hasDescription = that.m_hasDescription;
    delete[] m_pszMsg;
    m_pszMsg = nullptr;
  }
  return *this;
}

_com_error::~_com_error() {
  if (m_perrinfo) m_perrinfo->Release();
  delete[] m_pszMsg;
}

HRESULT _com_error::Error() const noexcept { return m_hresult; }

WORD _com_error::WCode() const noexcept { return HRESULTToWCode(m_hresult); }

IErrorInfo* _com_error::ErrorInfo() const noexcept {
  if (m_perrinfo) m_perrinfo->AddRef();
  return m_perrinfo;
}

_bstr_t _com_error::Description() const {
  if (m_hasDescription) return m_description;
  BSTR b = nullptr;
  if (m_perrinfo) m_perrinfo->GetDescription(&b);
  return _bstr_t(b, false);
}

_bstr_t _com_error::Source() const {
  BSTR b = nullptr;
  if (m_perrinfo) m_perrinfo->GetSource(&b);
  return _bstr_t(b, false);
}

_bstr_t _com_error::HelpFile() const {
  BSTR b = nullptr;
  if (m_perrinfo) m_perrinfo->GetHelpFile(&b);
  return _bstr_t(b, false);
}

DWORD _com_error::HelpContext() const {
  DWORD ctx = 0;
  if (m_perrinfo) m_perrinfo->GetHelpContext(&ctx);
  return ctx;
}

const wchar_t* _com_error::ErrorMessage() const {
  if (!m_pszMsg) {
    std::wstring text = ZelSystemMessage(static_cast<DWORD>(m_hresult));
    m_pszMsg = new wchar_t[text.size() + 1];
    wmemcpy(m_pszMsg, text.c_str(), text.size() + 1);
  }
  return m_pszMsg;
}

HRESULT _com_error::WCodeToHRESULT(WORD wCode) noexcept {
  return wCode >= 0xFE00 ? kWCodeLast : kWCodeFirst + wCode;
}

WORD _com_error::HRESULTToWCode(HRESULT hr) noexcept {
  return (hr >= kWCodeFirst && hr <= kWCodeLast) ? static_cast<WORD>(hr - kWCodeFirst) : 0;
}

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }

void ZelThrowComError(HRESULT hr, const wchar_t* description) { throw _com_error(hr, description); }
