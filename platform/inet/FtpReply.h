// Replies of an FTP server's control connection, and the few reply texts
// whose contents the client reads (passive addresses, the working folder).
//
// The parser takes bytes as they arrive and hands out whole replies. A
// server is not trusted: a line is bounded, a reply is bounded, and a line
// that is not "ddd", "ddd text" or "ddd-text" where a reply must begin is a
// protocol error rather than something to skip.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct FtpReply {
  int nCode = 0;      // 100 ... 599
  std::string text;   // the lines as sent, joined by "\n", without CR LF
  bool IsPreliminary() const { return nCode / 100 == 1; }
  bool IsOk() const { return nCode / 100 == 2; }
  bool IsIntermediate() const { return nCode / 100 == 3; }
};

class FtpReplyParser {
public:
  static constexpr size_t kMaxLine = 4096;
  static constexpr size_t kMaxLines = 512;

  enum Status { kNeedMore, kReply, kBadLine, kTooLong };

  // Consumes bytes from data[0..n) up to and including the end of one
  // reply; *pUsed says how many. kReply fills `out` and readies the parser
  // for the next reply; kBadLine and kTooLong leave it failed for good.
  Status Feed(const char* data, size_t n, size_t* pUsed, FtpReply& out);

private:
  Status EndLine(FtpReply& out);

  std::string m_line;
  std::string m_text;
  size_t m_nLines = 0;
  int m_nCode = 0;  // of the first line of a multi-line reply, else 0
  bool m_bFailed = false;
};

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the port; -1 when absent.
// The address is ignored: the data connection goes to the control peer.
int FtpParsePasvPort(const std::string& text);
// "229 Entering Extended Passive Mode (|||port|)": the port; -1 when absent.
int FtpParseEpsvPort(const std::string& text);
// "257 "/a ""quoted"" dir" created": the folder, or false when unquoted.
bool FtpParseQuotedPath(const std::string& text, std::string& path);
// The parts of text between separators (a last empty part is dropped).
std::vector<std::string> FtpSplit(const std::string& text, char sep);
// "YYYYMMDDHHMMSS[.sss]" as UTC seconds; false when malformed.
bool FtpParseTimeVal(const std::string& text, long long& seconds);
