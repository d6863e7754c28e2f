#include "Command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>

#include "ZELGF.h"
#include "ZELLog.h"

namespace zelutil {

std::map<std::string, AddCommand>& Commands() {
  static std::map<std::string, AddCommand> commands;
  return commands;
}

Registrar::Registrar(const char* name, AddCommand add) { Commands()[name] = std::move(add); }

std::wstring Wide(const std::string& s) {
  int n = ZELGF::MultiToWide(s.c_str(), NULL, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  ZELGF::MultiToWide(s.c_str(), &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

std::string Narrow(const wchar_t* s) { return CString(s).ToUtf8(); }

namespace {
// The automation layer's stand-in text for a code it has no words for says
// nothing to a user; the engine's description says what happened.
bool IsPlaceholder(const CString& text) {
  return text.Find(L"IDispatch error #") == 0 || text.Find(L"Unknown error 0x") == 0 || text.IsEmpty();
}
}  // namespace

std::string LastReport(const ZELLog& log) {
  int n = log.GetLogCount();
  if (n == 0) return std::string();
  ZEL_LOG_RECORD r = log.GetLog(n - 1);
  CString text(r.strText), detail(r.strDetail);
  text.Trim();
  detail.Trim();
  if (IsPlaceholder(text)) return detail.IsEmpty() ? std::string() : ": " + Narrow(detail);
  if (detail.IsEmpty() || detail == text) return ": " + Narrow(text);
  return ": " + Narrow(text) + " (" + Narrow(detail) + ")";
}

std::string FileProblem(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::string(": ") + std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return ": is a folder";
  if (access(path.c_str(), R_OK) != 0) return std::string(": ") + std::strerror(errno);
  return std::string();
}

void CheckOutput(bool flush) {
  if (flush) std::cout.flush();
  if (std::cout) return;
  int err = errno;
  std::cout.clear();
  throw Failure(kExitFailed, std::string("cannot write the output") + (err ? std::string(": ") + std::strerror(err) : ""));
}

}  // namespace zelutil
