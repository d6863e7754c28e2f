#include "platform/oleaut/BstrT.h"

#include <atomic>
#include <cstring>
#include <string>

#include "platform/oleaut/ComError.h"
#include "platform/oleaut/VariantT.h"

// The shared buffer. Copies of a _bstr_t share one Data_t; anything that
// changes the text first makes its own (copy on write), so a change through
// one copy never shows in another.
class _bstr_t::Data_t {
 public:
  explicit Data_t(BSTR owned) noexcept : m_wstr(owned) {}
  ~Data_t() {
    SysFreeString(m_wstr);
    delete m_str.load();
  }
  void DropNarrow() noexcept { delete m_str.exchange(nullptr); }

  std::atomic<unsigned long> m_RefCount{1};
  BSTR m_wstr;
  // UTF-8 form, built on demand; set once by compare-and-swap so two copies
  // read on two threads cannot both install one.
  std::atomic<std::string*> m_str{nullptr};
};

namespace {

BSTR CheckedAlloc(const wchar_t* s, size_t len) {
  if (len > 0xFFFFFFFFu) _com_issue_error(E_OUTOFMEMORY);
  BSTR b = SysAllocStringLen(s, static_cast<UINT>(len));
  if (!b) _com_issue_error(E_OUTOFMEMORY);
  return b;
}

}  // namespace

_bstr_t::_bstr_t() noexcept : m_Data(nullptr) {}

_bstr_t::_bstr_t(const _bstr_t& s) noexcept : m_Data(s.m_Data) {
  if (m_Data) ++m_Data->m_RefCount;
}

_bstr_t::_bstr_t(_bstr_t&& s) noexcept : m_Data(s.m_Data) { s.m_Data = nullptr; }

_bstr_t::_bstr_t(const char* s) : m_Data(nullptr) {
  if (!s) return;
  BSTR b = ZelBstrFromUtf8(s);
  if (!b) _com_issue_error(E_OUTOFMEMORY);
  m_Data = new Data_t(b);
}

_bstr_t::_bstr_t(const wchar_t* s) : m_Data(s ? new Data_t(nullptr) : nullptr) {
  if (!s) return;
  try {
    m_Data->m_wstr = CheckedAlloc(s, wcslen(s));
  } catch (...) {
    delete m_Data;
    throw;
  }
}

_bstr_t::_bstr_t(const _variant_t& var) : m_Data(nullptr) {
  if (var.vt == VT_BSTR) {
    Assign(var.bstrVal);
    return;
  }
  _variant_t text;
  HRESULT hr = VariantChangeType(&text, &var, 0, VT_BSTR);
  if (FAILED(hr)) _com_issue_error(hr);
  Attach(text.Detach().bstrVal);
}

_bstr_t::_bstr_t(BSTR bstr, bool fCopy) : m_Data(nullptr) {
  if (fCopy)
    Assign(bstr);
  else
    m_Data = new Data_t(bstr);
}

_bstr_t::~_bstr_t() { Release(); }

void _bstr_t::Release() noexcept {
  if (m_Data && --m_Data->m_RefCount == 0) delete m_Data;
  m_Data = nullptr;
}

_bstr_t& _bstr_t::operator=(const _bstr_t& s) noexcept {
  if (s.m_Data != m_Data) {
    Release();
    m_Data = s.m_Data;
    if (m_Data) ++m_Data->m_RefCount;
  }
  return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& s) noexcept {
  if (this != &s) {
    Release();
    m_Data = s.m_Data;
    s.m_Data = nullptr;
  }
  return *this;
}

_bstr_t& _bstr_t::operator=(const char* s) { return *this = _bstr_t(s); }
_bstr_t& _bstr_t::operator=(const wchar_t* s) { return *this = _bstr_t(s); }
_bstr_t& _bstr_t::operator=(const _variant_t& var) { return *this = _bstr_t(var); }

_bstr_t& _bstr_t::operator+=(const _bstr_t& s) { return *this = *this + s; }

_bstr_t _bstr_t::operator+(const _bstr_t& s) const {
  size_t a = length(), b = s.length();
  if (!m_Data && !s.m_Data) return _bstr_t();
  BSTR out = CheckedAlloc(nullptr, a + b);
  if (a) memcpy(out, m_Data->m_wstr, a * sizeof(OLECHAR));
  if (b) memcpy(out + a, s.m_Data->m_wstr, b * sizeof(OLECHAR));
  return _bstr_t(out, false);
}

_bstr_t operator+(const char* s1, const _bstr_t& s2) { return _bstr_t(s1) + s2; }
_bstr_t operator+(const wchar_t* s1, const _bstr_t& s2) { return _bstr_t(s1) + s2; }

_bstr_t::operator const wchar_t*() const noexcept { return m_Data ? m_Data->m_wstr : nullptr; }
_bstr_t::operator wchar_t*() const noexcept { return m_Data ? m_Data->m_wstr : nullptr; }

_bstr_t::operator const char*() const {
  if (!m_Data) return nullptr;
  std::string* have = m_Data->m_str.load();
  if (!have) {
    std::string* made = new std::string(ZelUtf8FromWide(m_Data->m_wstr, length()));
    if (m_Data->m_str.compare_exchange_strong(have, made))
      have = made;
    else
      delete made;
  }
  return have->c_str();
}

int _bstr_t::Compare(const wchar_t* s, unsigned int len) const noexcept {
  unsigned int mine = length();
  const wchar_t* p = m_Data ? m_Data->m_wstr : nullptr;
  for (unsigned int i = 0; i < mine && i < len; ++i) {
    // code points compare as unsigned, like the UTF-16 units they stand for
    unsigned a = static_cast<unsigned>(p[i]), b = static_cast<unsigned>(s[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return mine < len ? -1 : mine > len ? 1 : 0;
}

bool _bstr_t::operator!() const noexcept { return !m_Data || !m_Data->m_wstr; }
bool _bstr_t::operator==(const _bstr_t& s) const noexcept { return Compare(s, s.length()) == 0; }
bool _bstr_t::operator!=(const _bstr_t& s) const noexcept { return !(*this == s); }
bool _bstr_t::operator<(const _bstr_t& s) const noexcept { return Compare(s, s.length()) < 0; }
bool _bstr_t::operator>(const _bstr_t& s) const noexcept { return Compare(s, s.length()) > 0; }
bool _bstr_t::operator<=(const _bstr_t& s) const noexcept { return Compare(s, s.length()) <= 0; }
bool _bstr_t::operator>=(const _bstr_t& s) const noexcept { return Compare(s, s.length()) >= 0; }

bool _bstr_t::operator==(const wchar_t* s) const noexcept {
  return Compare(s, s ? static_cast<unsigned int>(wcslen(s)) : 0) == 0;
}

bool _bstr_t::operator!=(const wchar_t* s) const noexcept { return !(*this == s); }

BSTR _bstr_t::copy(bool fCopy) const {
  if (!m_Data) return nullptr;
  return fCopy ? CheckedAlloc(m_Data->m_wstr, length()) : m_Data->m_wstr;
}

unsigned int _bstr_t::length() const noexcept { return m_Data ? SysStringLen(m_Data->m_wstr) : 0; }

void _bstr_t::Assign(BSTR s) {
  if (m_Data && m_Data->m_wstr == s) return;
  BSTR copy = s ? CheckedAlloc(s, SysStringLen(s)) : nullptr;
  Attach(copy);
}

void _bstr_t::MakeUnique() {
  if (!m_Data) {
    m_Data = new Data_t(nullptr);
  } else if (m_Data->m_RefCount > 1) {
    Data_t* own = new Data_t(nullptr);
    try {
      own->m_wstr = m_Data->m_wstr ? CheckedAlloc(m_Data->m_wstr, length()) : nullptr;
    } catch (...) {
      delete own;
      throw;
    }
    Release();
    m_Data = own;
  }
  m_Data->DropNarrow();
}

BSTR& _bstr_t::GetBSTR() {
  MakeUnique();
  if (!m_Data->m_wstr) m_Data->m_wstr = CheckedAlloc(L"", 0);
  return m_Data->m_wstr;
}

BSTR* _bstr_t::GetAddress() {
  Attach(nullptr);
  return &m_Data->m_wstr;
}

void _bstr_t::Attach(BSTR s) {
  Data_t* fresh = new Data_t(s);
  Release();
  m_Data = fresh;
}

BSTR _bstr_t::Detach() {
  if (!m_Data) return nullptr;
  BSTR out;
  if (m_Data->m_RefCount == 1) {
    out = m_Data->m_wstr;
    m_Data->m_wstr = nullptr;
  } else {
    out = copy(true);
  }
  Release();
  return out;
}
