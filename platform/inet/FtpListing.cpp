#include "platform/inet/FtpListing.h"

#include <cstring>
#include <ctime>

#include "platform/inet/FtpReply.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(const std::string& s) {
  if (s.empty() || s.size() > 20) return false;
  for (char c : s)
    if (!IsDigit(c)) return false;
  return true;
}

// Digits to a 64-bit size; false when they do not fit.
bool ToSize(const std::string& s, unsigned long long& v) {
  if (!AllDigits(s)) return false;
  v = 0;
  for (char c : s) {
    unsigned long long d = static_cast<unsigned long long>(c - '0');
    if (v > (~0ULL - d) / 10) return false;
    v = v * 10 + d;
  }
  return true;
}

int Month(const std::string& s) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  if (s.size() != 3) return -1;
  char low[4] = {0};
  for (int i = 0; i < 3; ++i) low[i] = static_cast<char>(s[i] | 0x20);
  for (int m = 0; m < 12; ++m)
    if (std::strcmp(low, kMonths[m]) == 0) return m;
  return -1;
}

long long MakeUtc(int year, int mon, int day, int hour, int min) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = mon;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = min;
  return static_cast<long long>(timegm(&t));
}

// Splits at runs of spaces, remembering where each token starts.
struct Tokens {
  std::vector<std::string> words;
  std::vector<size_t> starts;
  explicit Tokens(const std::string& line, size_t max) {
    size_t i = 0;
    while (i < line.size() && words.size() < max) {
      while (i < line.size() && line[i] == ' ') ++i;
      if (i >= line.size()) break;
      size_t b = i;
      while (i < line.size() && line[i] != ' ') ++i;
      starts.push_back(b);
      words.push_back(line.substr(b, i - b));
    }
  }
};

}  // namespace

bool FtpListing::IsAcceptableName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (c == '/' || c == '\0' || c == '\r' || c == '\n') return false;
  return true;
}

bool FtpListing::ParseMlsdLine(const std::string& line, FtpEntry& e) const {
  // "fact=value;fact=value; name": the name follows the first space.
  size_t sp = line.find(' ');
  if (sp == std::string::npos) return false;
  e = FtpEntry();
  e.name = line.substr(sp + 1);
  bool typed = false;
  for (const std::string& fact : FtpSplit(line.substr(0, sp), ';')) {
    size_t eq = fact.find('=');
    if (eq == std::string::npos) continue;
    std::string key = fact.substr(0, eq), value = fact.substr(eq + 1);
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c);
    if (key == "type") {
      std::string v;
      for (char c : value) v.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c));
      typed = true;
      if (v == "dir") {
        e.bDirectory = true;
      } else if (v == "cdir" || v == "pdir") {
        // The listed folder itself and its parent, whatever path they carry.
        e.bDirectory = true;
        e.name = v == "cdir" ? "." : "..";
      }
    } else if (key == "size") {
      ToSize(value, e.nSize);
    } else if (key == "modify") {
      FtpParseTimeVal(value, e.tmWrite);
    }
  }
  return typed && IsAcceptableName(e.name);
}

bool FtpListing::ParseListLine(const std::string& line, FtpEntry& e) const {
  if (line.empty()) return false;
  if (IsDigit(line[0])) return ParseDos(line, e);
  return ParseUnix(line, e);
}

bool FtpListing::ParseUnix(const std::string& line, FtpEntry& e) const {
  // "drwxr-xr-x 2 owner group 4096 Jan  1 12:00 a name": the month, with a
  // size before it and a day and a time or year after it, anchors the rest;
  // owner and group may be missing or hold spaces.
  if (line.size() < 10 || std::strchr("-dlbcpsD", line[0]) == nullptr) return false;
  Tokens t(line, 64);
  for (size_t m = 2; m + 3 < t.words.size(); ++m) {
    int mon = Month(t.words[m]);
    unsigned long long size = 0;
    if (mon < 0 || !ToSize(t.words[m - 1], size)) continue;
    const std::string& dayText = t.words[m + 1];
    const std::string& when = t.words[m + 2];
    if (!AllDigits(dayText) || dayText.size() > 2) continue;
    int day = std::stoi(dayText);
    if (day < 1 || day > 31) continue;
    long long tm = 0;
    if (when.size() == 5 && when[2] == ':' && IsDigit(when[0]) && IsDigit(when[1]) && IsDigit(when[3]) &&
        IsDigit(when[4])) {
      int hour = (when[0] - '0') * 10 + (when[1] - '0'), min = (when[3] - '0') * 10 + (when[4] - '0');
      if (hour > 23 || min > 59) continue;
      // No year: the last such date not more than a day ahead of now.
      struct tm now = {};
      time_t n = static_cast<time_t>(m_now);
      gmtime_r(&n, &now);
      int year = now.tm_year + 1900;
      tm = MakeUtc(year, mon, day, hour, min);
      if (tm > m_now + 86400) tm = MakeUtc(year - 1, mon, day, hour, min);
    } else if (when.size() == 4 && AllDigits(when)) {
      tm = MakeUtc(std::stoi(when), mon, day, 0, 0);
    } else {
      continue;
    }
    // The name is the rest after one space, so leading spaces of a name stay.
    size_t nameAt = t.starts[m + 2] + when.size() + 1;
    if (nameAt >= line.size()) return false;
    e = FtpEntry();
    e.name = line.substr(nameAt);
    if (line[0] == 'l') {
      size_t arrow = e.name.find(" -> ");
      if (arrow != std::string::npos) e.name.resize(arrow);
    }
    e.nSize = size;
    e.bDirectory = line[0] == 'd' || line[0] == 'D';
    e.tmWrite = tm;
    return IsAcceptableName(e.name);
  }
  return false;
}

bool FtpListing::ParseDos(const std::string& line, FtpEntry& e) const {
  // "01-31-20  03:04PM       <DIR>          name" or "... 1234 name"
  Tokens t(line, 3);
  if (t.words.size() < 3) return false;
  const std::string& date = t.words[0];
  const std::string& time = t.words[1];
  if ((date.size() != 8 && date.size() != 10) || date[2] != '-' || date[5] != '-') return false;
  for (size_t i : {0, 1, 3, 4, 6, 7})
    if (!IsDigit(date[i])) return false;
  int mon = std::stoi(date.substr(0, 2)) - 1, day = std::stoi(date.substr(3, 2));
  int year = std::stoi(date.substr(6));
  if (date.size() == 8) year += year < 70 ? 2000 : 1900;
  if (mon < 0 || mon > 11 || day < 1 || day > 31) return false;
  if (time.size() != 7 || time[2] != ':' || !IsDigit(time[0]) || !IsDigit(time[1]) || !IsDigit(time[3]) ||
      !IsDigit(time[4]))
    return false;
  int hour = (time[0] - '0') * 10 + (time[1] - '0'), min = (time[3] - '0') * 10 + (time[4] - '0');
  char half = static_cast<char>(time[5] | 0x20);
  if (hour < 1 || hour > 12 || min > 59 || (half != 'a' && half != 'p') || (time[6] | 0x20) != 'm') return false;
  hour = hour % 12 + (half == 'p' ? 12 : 0);
  // Size or <DIR>, then the name after the run of spaces that follows it.
  size_t pos = t.starts[2];
  size_t end = line.find(' ', pos);
  if (end == std::string::npos) return false;
  std::string what = line.substr(pos, end - pos);
  e = FtpEntry();
  if (what == "<DIR>") {
    e.bDirectory = true;
  } else if (!ToSize(what, e.nSize)) {
    return false;
  }
  while (end < line.size() && line[end] == ' ') ++end;
  e.name = line.substr(end);
  e.tmWrite = MakeUtc(year, mon, day, hour, min);
  return IsAcceptableName(e.name);
}

std::vector<FtpEntry> FtpListing::Parse(const std::string& data, bool bMlsd) const {
  std::vector<FtpEntry> out;
  for (std::string& line : FtpSplit(data, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    FtpEntry e;
    if (bMlsd ? ParseMlsdLine(line, e) : ParseListLine(line, e)) out.push_back(std::move(e));
  }
  return out;
}
