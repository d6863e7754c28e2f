#include "platform/ado/Source.h"

#include "platform/ado/AdoEnums.h"

#include <cwctype>

namespace zelado {

long CommandTypeOf(long options) {
  if (options == -1) return long(adCmdUnspecified);
  long type = options & ~static_cast<long>(adExecuteNoRecords | adAsyncExecute | adAsyncFetch);
  return type == 0 ? long(adCmdUnspecified) : type;
}

bool WantsNoRecords(long options) { return options != -1 && (options & adExecuteNoRecords) != 0; }

std::wstring StatementFor(const std::wstring& source, long commandType) {
  bool table = commandType == adCmdTable || commandType == adCmdTableDirect;
  if (commandType == adCmdUnknown || commandType == adCmdUnspecified) {
    table = !source.empty();
    for (wchar_t c : source)
      if (std::iswspace(c)) table = false;
  }
  if (!table) return source;
  std::wstring name = source;
  if (name.size() >= 2 && ((name.front() == L'[' && name.back() == L']') ||
                           (name.front() == L'"' && name.back() == L'"') ||
                           (name.front() == L'`' && name.back() == L'`')))
    name = name.substr(1, name.size() - 2);
  std::wstring quoted = L"\"";
  for (wchar_t c : name) {
    if (c == L'"') quoted += L'"';
    quoted += c;
  }
  return L"SELECT * FROM " + quoted + L"\"";
}

}  // namespace zelado
