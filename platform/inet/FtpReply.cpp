#include "platform/inet/FtpReply.h"

#include <cctype>
#include <ctime>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The code of a line that can begin a reply: three digits, the first 1-5,
// then the end, a space or a hyphen.
int LeadCode(const std::string& line) {
  if (line.size() < 3 || line[0] < '1' || line[0] > '5' || !IsDigit(line[1]) || !IsDigit(line[2])) return 0;
  if (line.size() > 3 && line[3] != ' ' && line[3] != '-') return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

}  // namespace

FtpReplyParser::Status FtpReplyParser::Feed(const char* data, size_t n, size_t* pUsed, FtpReply& out) {
  *pUsed = 0;
  if (m_bFailed) return kBadLine;
  for (size_t i = 0; i < n; ++i) {
    char c = data[i];
    if (c != '\n') {
      if (m_line.size() >= kMaxLine) {
        m_bFailed = true;
        *pUsed = i + 1;
        return kTooLong;
      }
      m_line.push_back(c);
      continue;
    }
    *pUsed = i + 1;
    if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
    Status s = EndLine(out);
    if (s != kNeedMore) return s;
  }
  *pUsed = n;
  return kNeedMore;
}

FtpReplyParser::Status FtpReplyParser::EndLine(FtpReply& out) {
  std::string line;
  line.swap(m_line);
  if (++m_nLines > kMaxLines) {
    m_bFailed = true;
    return kTooLong;
  }
  int code = LeadCode(line);
  if (m_nCode == 0) {
    if (code == 0) {
      m_bFailed = true;
      return kBadLine;
    }
    if (line.size() > 3 && line[3] == '-') {
      // The reply goes on until a line of the same code and a space.
      m_nCode = code;
      m_text = line.substr(4);
      return kNeedMore;
    }
    out.nCode = code;
    out.text = line.size() > 4 ? line.substr(4) : std::string();
  } else {
    if (code != m_nCode || (line.size() > 3 && line[3] != ' ')) {
      m_text += '\n';
      m_text += line;
      return kNeedMore;
    }
    out.nCode = code;
    out.text = m_text + "\n" + (line.size() > 4 ? line.substr(4) : std::string());
  }
  m_text.clear();
  m_nCode = 0;
  m_nLines = 0;
  return kReply;
}

int FtpParsePasvPort(const std::string& text) {
  size_t open = text.find('(');
  size_t pos = open == std::string::npos ? 0 : open + 1;
  // Without brackets some servers give the six numbers after the text.
  if (open == std::string::npos) {
    while (pos < text.size() && !IsDigit(text[pos])) ++pos;
  }
  int nums[6];
  for (int k = 0; k < 6; ++k) {
    if (pos >= text.size() || !IsDigit(text[pos])) return -1;
    long v = 0;
    while (pos < text.size() && IsDigit(text[pos]) && v <= 255) v = v * 10 + (text[pos++] - '0');
    if (v > 255) return -1;
    nums[k] = static_cast<int>(v);
    if (k < 5) {
      if (pos >= text.size() || text[pos] != ',') return -1;
      ++pos;
    }
  }
  int port = nums[4] * 256 + nums[5];
  return port > 0 ? port : -1;
}

int FtpParseEpsvPort(const std::string& text) {
  size_t open = text.find('(');
  if (open == std::string::npos || open + 4 >= text.size()) return -1;
  char d = text[open + 1];
  if (d < 33 || d > 126 || text[open + 2] != d || text[open + 3] != d) return -1;
  size_t pos = open + 4;
  long port = 0;
  size_t digits = 0;
  while (pos < text.size() && IsDigit(text[pos]) && digits < 6) {
    port = port * 10 + (text[pos++] - '0');
    ++digits;
  }
  if (digits == 0 || pos >= text.size() || text[pos] != d || port < 1 || port > 65535) return -1;
  return static_cast<int>(port);
}

bool FtpParseQuotedPath(const std::string& text, std::string& path) {
  size_t pos = text.find('"');
  if (pos == std::string::npos) return false;
  std::string out;
  for (++pos; pos < text.size(); ++pos) {
    if (text[pos] == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        out.push_back('"');
        ++pos;
        continue;
      }
      path.swap(out);
      return true;
    }
    if (text[pos] == '\n' || text[pos] == '\0') return false;
    out.push_back(text[pos]);
  }
  return false;
}

bool FtpParseTimeVal(const std::string& text, long long& seconds) {
  if (text.size() < 14) return false;
  for (size_t i = 0; i < 14; ++i)
    if (!IsDigit(text[i])) return false;
  auto num = [&](size_t at, size_t len) {
    int v = 0;
    for (size_t i = at; i < at + len; ++i) v = v * 10 + (text[i] - '0');
    return v;
  };
  struct tm t = {};
  t.tm_year = num(0, 4) - 1900;
  t.tm_mon = num(4, 2) - 1;
  t.tm_mday = num(6, 2);
  t.tm_hour = num(8, 2);
  t.tm_min = num(10, 2);
  t.tm_sec = num(12, 2);
  if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 || t.tm_min > 59 ||
      t.tm_sec > 60)
    return false;
  seconds = static_cast<long long>(timegm(&t));
  return true;
}

std::vector<std::string> FtpSplit(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(sep, pos);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}
