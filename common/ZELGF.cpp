#include "ZELGF.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwctype>
#include <string>

#include "ZELResult.h"
#include "platform/base/WinError.h"

namespace {

const size_t kMaxName = 255;   // bytes of one name (NAME_MAX)
const size_t kMaxPath = 4095;  // bytes of a whole path (PATH_MAX less the NUL)

std::string Utf8(const wchar_t* s) { return ZelWideToUtf8(s ? s : L""); }

bool Stat(const wchar_t* path, struct stat& st) {
  if (!path || !*path) return false;
  return ::stat(Utf8(path).c_str(), &st) == 0;
}

bool ValidNames(const std::string& path, bool allowSlash) {
  if (path.empty() || path.size() > kMaxPath) return false;
  size_t run = 0;
  for (char c : path) {
    if (c == '/') {
      if (!allowSlash) return false;
      run = 0;
    } else if (++run > kMaxName) {
      return false;
    }
  }
  return true;
}

// mkdir -p: every missing folder of the path, parents first.
bool MakeDirs(const std::string& dir) {
  if (dir.empty()) return false;
  for (size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != '/') continue;
    std::string part = dir.substr(0, pos);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

CString ZELGF::FormatMsg(DWORD dwCode, HMODULE /*hModule*/) { return CString(ZelSystemMessage(dwCode)); }

BOOL ZELGF::IsFile(const wchar_t* path) {
  struct stat st;
  return Stat(path, st) && S_ISREG(st.st_mode);
}

BOOL ZELGF::IsDir(const wchar_t* path) {
  struct stat st;
  return Stat(path, st) && S_ISDIR(st.st_mode);
}

BOOL ZELGF::IsEmpty(const wchar_t* text) {
  if (!text) return TRUE;
  for (; *text; ++text)
    if (!iswspace(static_cast<wint_t>(*text))) return FALSE;
  return TRUE;
}

BOOL ZELGF::IsValidPathName(const wchar_t* path) { return path && ValidNames(Utf8(path), true); }

BOOL ZELGF::IsValidFileName(const wchar_t* name) {
  if (!name) return FALSE;
  std::string s = Utf8(name);
  return ValidNames(s, false) && s != "." && s != "..";
}

CString ZELGF::MakePath(const wchar_t* dir, const wchar_t* name) {
  CString base;
  if (dir && *dir) {
    base = dir;
  } else {
    char cwd[kMaxPath + 1];
    base = ::getcwd(cwd, sizeof cwd) ? CString(cwd) : CString(L".");
  }
  CString tail(name);
  tail.TrimLeft(L'/');
  if (tail.IsEmpty()) return base;
  if (base.IsEmpty() || base[base.GetLength() - 1] != L'/') base += L'/';
  return base + tail;
}

CString ZELGF::ExtractName(const wchar_t* path, int bExtension) {
  CString p(path);
  p.TrimRight(L'/');
  CString name = p.Mid(p.ReverseFind(L'/') + 1);
  if (!bExtension) {
    int dot = name.ReverseFind(L'.');
    if (dot > 0) name = name.Left(dot);
  }
  return name;
}

CString ZELGF::ExtractDir(const wchar_t* path) {
  CString p(path);
  if (p.GetLength() > 1) p.TrimRight(L'/');
  int slash = p.ReverseFind(L'/');
  if (slash < 0) return CString();
  if (slash == 0) return CString(L"/");
  return p.Left(slash);
}

int ZELGF::CreateDir(const wchar_t* dir) {
  if (!IsValidPathName(dir)) return -101;
  if (IsDir(dir)) return 0;
  if (MakeDirs(Utf8(dir))) return 0;
  ZelSetLastErrorFromErrno(errno);
  return -300;
}

int ZELGF::CreateFileW(const wchar_t* path, int bMakeDir, int bTruncate) {
  if (!IsValidPathName(path) || IsDir(path)) return -101;
  if (bMakeDir) {
    CString dir = ExtractDir(path);
    if (!dir.IsEmpty() && CreateDir(dir) != 0) return -300;
  }
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (bTruncate ? O_TRUNC : 0);
  int fd = ::open(Utf8(path).c_str(), flags, 0666);
  if (fd < 0) {
    ZelSetLastErrorFromErrno(errno);
    return -202;
  }
  ::close(fd);
  return 0;
}

LONGLONG ZELGF::GetFileSize(const wchar_t* path, int /*nFlag*/) {
  struct stat st;
  if (!Stat(path, st) || !S_ISREG(st.st_mode)) return -1;
  return static_cast<LONGLONG>(st.st_size);
}

LONGLONG ZELGF::GetDirInfo(const wchar_t* dir, LONGLONG* pnFiles, LONGLONG* pnDirs, CStringArray* pFiles,
                           int bRecursive, CStringArray* pDirs) {
  LONGLONG total = 0, files = 0, dirs = 0;
  // An explicit stack of folders: deep trees must not exhaust the machine stack.
  CStringArray pending;
  pending.Add(dir);
  while (!pending.IsEmpty()) {
    CString cur = pending[pending.GetUpperBound()];
    pending.RemoveAt(pending.GetUpperBound());
    DIR* d = ::opendir(Utf8(cur).c_str());
    if (!d) continue;
    while (struct dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n == "." || n == "..") continue;
      CString full = MakePath(cur, CString(n.c_str()));
      struct stat st;
      if (::lstat(Utf8(full).c_str(), &st) != 0) continue;
      if (S_ISREG(st.st_mode)) {
        total += st.st_size;
        ++files;
        if (pFiles) pFiles->Add(full);
      } else if (S_ISDIR(st.st_mode)) {
        ++dirs;
        if (pDirs) pDirs->Add(full);
        if (bRecursive) pending.Add(full);
      }
    }
    ::closedir(d);
  }
  if (pnFiles) *pnFiles = files;
  if (pnDirs) *pnDirs = dirs;
  return total;
}

int ZELGF::SplitText(const wchar_t* text, const wchar_t* sep, int bSkipEmpty, CStringArray& parts) {
  parts.RemoveAll();
  if (!text || !*text) return 0;
  std::wstring s(text), d(sep ? sep : L"");
  if (d.empty()) {
    parts.Add(CString(s));
    return 1;
  }
  size_t pos = 0;
  for (;;) {
    size_t hit = s.find(d, pos);
    std::wstring part = s.substr(pos, hit == std::wstring::npos ? std::wstring::npos : hit - pos);
    if (!(bSkipEmpty && part.empty())) parts.Add(CString(part));
    if (hit == std::wstring::npos) break;
    pos = hit + d.size();
  }
  return static_cast<int>(parts.GetSize());
}

CString& ZELGF::Trim(CString& text) { return text.Trim(); }

void ZELGF::PeekMsg(MSG* pMsg) {
  MSG local;
  MSG* m = pMsg ? pMsg : &local;
  while (PeekMessageW(m, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(m);
    DispatchMessageW(m);
  }
}

int ZELGF::MultiToWide(const char* text, wchar_t* buffer, int nCount) {
  std::wstring w = text ? ZelUtf8ToWide(text, strlen(text)) : std::wstring();
  int need = static_cast<int>(w.size()) + 1;
  if (!buffer) return need;
  if (nCount <= 0) return 0;
  int n = need - 1 < nCount - 1 ? need - 1 : nCount - 1;
  wmemcpy(buffer, w.data(), static_cast<size_t>(n));
  buffer[n] = L'\0';
  return n;
}
