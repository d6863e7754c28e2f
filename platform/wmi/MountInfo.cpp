#include "platform/wmi/MountInfo.h"

#include <cstdlib>
#include <sstream>

namespace {

std::string Unescape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const char* d = s.c_str() + i + 1;
      if (d[0] >= '0' && d[0] <= '3' && d[1] >= '0' && d[1] <= '7' && d[2] >= '0' && d[2] <= '7') {
        out += static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

bool ParseNumber(const std::string& s, unsigned& out) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  out = static_cast<unsigned>(std::strtoul(s.c_str(), nullptr, 10));
  return true;
}

bool ParseLine(const std::string& line, ZelMount& m) {
  std::istringstream in(line);
  std::vector<std::string> f;
  for (std::string w; in >> w;) f.push_back(w);
  // At least the six leading fields, the separator and the three after it.
  if (f.size() < 10) return false;
  size_t dash = 6;
  while (dash < f.size() && f[dash] != "-") ++dash;
  if (dash + 2 >= f.size()) return false;
  size_t colon = f[2].find(':');
  if (colon == std::string::npos || !ParseNumber(f[2].substr(0, colon), m.major) ||
      !ParseNumber(f[2].substr(colon + 1), m.minor))
    return false;
  m.root = Unescape(f[3]);
  m.mountPoint = Unescape(f[4]);
  m.type = f[dash + 1];
  m.source = Unescape(f[dash + 2]);
  return !m.mountPoint.empty() && m.mountPoint[0] == '/';
}

}  // namespace

std::vector<ZelMount> ZelParseMountInfo(const std::string& text) {
  std::vector<ZelMount> mounts;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    ZelMount m;
    if (ParseLine(line, m)) mounts.push_back(std::move(m));
  }
  return mounts;
}
