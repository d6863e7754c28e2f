#include "platform/comm/CommName.h"

#include <cwctype>

#include "platform/base/DosDevice.h"
#include "platform/base/Utf8.h"

std::string ZelCommDevicePath(const wchar_t* name) {
  std::wstring s(name ? name : L"");
  if (s.compare(0, 4, L"\\\\.\\") == 0) s.erase(0, 4);
  if (!s.empty() && s[0] == L'/') return ZelWideToUtf8(s.c_str());
  if (s.size() < 4 || s.size() > 13 || std::towupper(static_cast<wint_t>(s[0])) != L'C' ||
      std::towupper(static_cast<wint_t>(s[1])) != L'O' || std::towupper(static_cast<wint_t>(s[2])) != L'M')
    return std::string();
  unsigned long long n = 0;
  for (size_t i = 3; i < s.size(); ++i) {
    if (s[i] < L'0' || s[i] > L'9') return std::string();
    n = n * 10 + static_cast<unsigned>(s[i] - L'0');
  }
  if (n == 0 || n > 0xFFFFFFFFull) return std::string();
  std::string target = ZelDosDeviceTarget(s.c_str());
  return target.empty() ? "/dev/ttyS" + std::to_string(n - 1) : target;
}
