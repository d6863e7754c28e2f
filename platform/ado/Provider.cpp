#include "platform/ado/Provider.h"

#include "platform/ado/ConnectionText.h"
#include "platform/ado/sqlite/SqliteSession.h"
#include "platform/ado/workbook/WorkbookSession.h"

namespace zelado {

void RowStream::Keys(std::vector<int64_t>& keys) {
  int64_t key = 0;
  while (Next(nullptr, &key)) keys.push_back(key);
}

std::unique_ptr<RowStream> Session::ExecuteProcedure(const std::wstring& name, std::vector<EngineParam>&) {
  Raise(ErrorKind::NotAvailable, L"stored procedures are not available with this engine ('" + name + L"')");
}

std::unique_ptr<Session> OpenSession(const std::wstring& text, const std::wstring& user,
                                     const std::wstring& password) {
  (void)user;
  (void)password;
  ConnectionText ct(text);
  std::wstring provider = ct.Get(L"Provider");
  if (provider.empty()) Raise(ErrorKind::BadConnectionText, L"the connection text names no Provider");
  std::wstring source = ct.Get(L"Data Source");
  // "Mode=Read" opens the database for reading only; other modes share it as usual.
  bool readOnly = SameText(ct.Get(L"Mode"), L"Read");
  if (SameText(provider, L"SQLite")) {
    if (source.empty()) Raise(ErrorKind::BadConnectionText, L"the connection text names no Data Source");
    return sqlite::OpenSession(source, false, readOnly);
  }
  if (SameText(provider, L"Microsoft.Jet.OLEDB.4.0") || SameText(provider, L"Microsoft.ACE.OLEDB.12.0")) {
    if (source.empty()) Raise(ErrorKind::BadConnectionText, L"the connection text names no Data Source");
    if (ct.Get(L"Extended Properties").find(L"Excel") != std::wstring::npos)
      return workbook::OpenSession(source, readOnly);
    // A database file of the desktop format: opened with the embedded engine.
    // It has no passwords, so "Jet OLEDB:Database Password" has nothing to unlock.
    return sqlite::OpenSession(source, true, readOnly);
  }
  if (SameText(provider, L"PostgreSQL"))
    Raise(ErrorKind::NotAvailable, L"the PostgreSQL engine is not available in this build");
  Raise(ErrorKind::BadConnectionText, L"unknown provider '" + provider + L"'");
}

}  // namespace zelado
