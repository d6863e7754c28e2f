#include "platform/base/DosDevice.h"

#include <cwctype>
#include <map>
#include <mutex>
#include <vector>

#include "platform/base/Utf8.h"
#include "platform/base/WinError.h"

namespace {

struct Table {
  std::mutex lock;
  std::map<std::wstring, std::vector<std::wstring>> names;  // newest last
};

Table& TheTable() {
  static Table* t = new Table;  // never destroyed: used until the process ends
  return *t;
}

// "\\.\com3" and "COM3" are one key.
std::wstring Key(const wchar_t* name) {
  std::wstring s(name);
  if (s.compare(0, 4, L"\\\\.\\") == 0) s.erase(0, 4);
  for (auto& c : s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return s;
}

}  // namespace

BOOL DefineDosDeviceW(DWORD dwFlags, LPCWSTR lpDeviceName, LPCWSTR lpTargetPath) {
  if (!lpDeviceName || !*lpDeviceName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::wstring key = Key(lpDeviceName);
  Table& t = TheTable();
  std::lock_guard<std::mutex> g(t.lock);
  if (dwFlags & DDD_REMOVE_DEFINITION) {
    auto it = t.names.find(key);
    if (it == t.names.end()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
    auto& stack = it->second;
    if (lpTargetPath && *lpTargetPath) {
      // The newest definition with that target (exact or as a prefix).
      std::wstring target(lpTargetPath);
      bool exact = (dwFlags & DDD_EXACT_MATCH_ON_REMOVE) != 0;
      for (size_t i = stack.size(); i-- > 0;) {
        if (exact ? stack[i] == target : stack[i].compare(0, target.size(), target) == 0) {
          stack.erase(stack.begin() + static_cast<long>(i));
          if (stack.empty()) t.names.erase(it);
          return TRUE;
        }
      }
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
    stack.pop_back();
    if (stack.empty()) t.names.erase(it);
    return TRUE;
  }
  if (!lpTargetPath || !*lpTargetPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t.names[key].push_back(lpTargetPath);
  return TRUE;
}

DWORD QueryDosDeviceW(LPCWSTR lpDeviceName, LPWSTR lpTargetPath, DWORD ucchMax) {
  if (!lpDeviceName || !*lpDeviceName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring target;
  {
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.names.find(Key(lpDeviceName));
    if (it == t.names.end()) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return 0;
    }
    target = it->second.back();
  }
  // The target, its terminator, and the list's closing terminator.
  DWORD need = static_cast<DWORD>(target.size() + 2);
  if (!lpTargetPath || ucchMax < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(target.begin(), target.end(), lpTargetPath);
  lpTargetPath[target.size()] = L'\0';
  lpTargetPath[target.size() + 1] = L'\0';
  return need;
}

std::string ZelDosDeviceTarget(const wchar_t* name) {
  if (!name || !*name) return std::string();
  Table& t = TheTable();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.names.find(Key(name));
  if (it == t.names.end()) return std::string();
  const std::wstring& s = it->second.back();
  return ZelWideToUtf8(s.c_str(), s.size());
}
