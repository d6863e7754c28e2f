// Directory listings: MLSD lines (machine facts) and LIST lines in the Unix
// "ls -l" and the DOS "dir" layouts.
//
// A name that cannot be one entry of the listed folder (empty, holding '/',
// NUL, CR or LF) is dropped here, so that nothing above ever sees a listed
// name that walks out of the folder it names. "." and ".." stay: callers
// ask about them by name.
#pragma once

#include <string>
#include <vector>

struct FtpEntry {
  std::string name;         // UTF-8 as the server sent it
  unsigned long long nSize = 0;
  bool bDirectory = false;
  long long tmWrite = 0;    // UTC seconds; 0 when the server gave none
};

class FtpListing {
public:
  // The time the year-less Unix dates are read against.
  explicit FtpListing(long long now) : m_now(now) {}

  // One line of a MLSD answer; false when it is no entry.
  bool ParseMlsdLine(const std::string& line, FtpEntry& e) const;
  // One line of a LIST answer in either layout; false for totals, blank
  // lines and lines in neither layout.
  bool ParseListLine(const std::string& line, FtpEntry& e) const;

  // A whole answer, split at LF (a CR before it dropped); lines that are no
  // entry are skipped.
  std::vector<FtpEntry> Parse(const std::string& data, bool bMlsd) const;

  static bool IsAcceptableName(const std::string& name);

private:
  bool ParseUnix(const std::string& line, FtpEntry& e) const;
  bool ParseDos(const std::string& line, FtpEntry& e) const;
  long long m_now;
};
