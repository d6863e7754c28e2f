// zelutil ftp ls URL                  list the remote folder URL names
// zelutil ftp get URL [LOCAL]         fetch a file (LOCAL: a file or folder)
// zelutil ftp put LOCAL URL           send a file (URL ending in / : into it)
// zelutil ftp mkdir URL | rm URL      make a folder, delete a file
// zelutil ftp mv URL NEWNAME          rename within its folder
// zelutil ftp getdir URL [LOCAL]      fetch the plain files of a folder
// zelutil ftp putdir LOCAL URL        send the plain files of a folder
// URL is ftp://host[:port]/path. The password comes from --password, else
// ZELFTP_PASSWORD, else a prompt on the terminal; without --user the login
// is anonymous. Existing targets are kept unless --overwrite is given.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "Command.h"
#include "ZELFtp.h"
#include "ZELGF.h"

namespace {

struct Args {
  std::string user, password, url, local, name;
  int port = 0;
  bool overwrite = false;
};

struct Target {
  std::wstring server;  // ftp://host/
  std::wstring path;    // the URL's path, "/" when none
  int port;
};

Target ParseTarget(const Args& a) {
  DWORD type = 0;
  CString host, object;
  INTERNET_PORT port = 0;
  if (!AfxParseURL(zelutil::Wide(a.url).c_str(), type, host, object, port) || type != AFX_INET_SERVICE_FTP ||
      host.IsEmpty())
    throw zelutil::Failure(2, "not an ftp URL: " + a.url);
  bool v6 = host.Find(L':') >= 0;
  Target t;
  t.server = std::wstring(L"ftp://") + (v6 ? L"[" : L"") + host.GetString() + (v6 ? L"]/" : L"/");
  t.path = object.GetString();
  t.port = a.port > 0 ? a.port : port;
  return t;
}

std::string Prompt(const std::string& user) {
  if (!::isatty(STDIN_FILENO)) return std::string();
  std::cerr << "password for " << user << ": " << std::flush;
  termios old;
  ::tcgetattr(STDIN_FILENO, &old);
  termios quiet = old;
  quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
  ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  std::string pw;
  std::getline(std::cin, pw);
  ::tcsetattr(STDIN_FILENO, TCSANOW, &old);
  std::cerr << "\n";
  return pw;
}

// Why the newest report was made, for a message.
std::string LastReport(ZELFtp& ftp) {
  if (ftp.GetLogCount() == 0) return std::string();
  ZEL_LOG_RECORD r = ftp.GetLog(ftp.GetLogCount() - 1);
  std::string text = zelutil::Narrow(r.strText);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return ": " + text;
}

void Check(ZELFtp& ftp, int code, const std::string& what) {
  if (code == 2) throw zelutil::Failure(1, what + ": cancelled");
  if (code != 0) throw zelutil::Failure(1, what + LastReport(ftp));
}

std::unique_ptr<ZELFtp> Open(const Args& a, const Target& t) {
  std::string password = a.password;
  if (password.empty() && !a.user.empty()) {
    const char* env = std::getenv("ZELFTP_PASSWORD");
    password = env ? env : Prompt(a.user);
  }
  auto ftp = std::make_unique<ZELFtp>();
  int port = t.port > 0 ? t.port : 21;
  Check(*ftp, ftp->Connect(t.server.c_str(), zelutil::Wide(a.user).c_str(), zelutil::Wide(password).c_str(), port),
        "cannot connect to " + a.url);
  return ftp;
}

// The folder and the last name of a remote path.
std::pair<std::wstring, std::wstring> Split(const std::wstring& path) {
  size_t slash = path.find_last_of(L'/');
  if (slash == std::wstring::npos) return {L"/", path};
  return {slash == 0 ? L"/" : path.substr(0, slash), path.substr(slash + 1)};
}

// A bar on a terminal; elsewhere one line per finished file.
struct Progress : ZELCallBack {
  bool tty = ::isatty(STDERR_FILENO) != 0;
  bool kept = false;
  int last = -1;
  long CallBack(__ZEL_NOTIFY& n) override {
    if (n.nKind == ZELFTP_NOTIFY_KEPT) {
      kept = true;  // the progress record follows
      return 0;
    }
    const __ZEL_FTP_PROGRESS& p = *reinterpret_cast<__ZEL_FTP_PROGRESS*>(n.nData);
    std::string name = zelutil::Narrow(ZELGF::ExtractName(p.strName, 1));
    if (kept) {
      kept = false;
      (tty ? std::fprintf(stderr, "\r%s exists: kept (--overwrite replaces it)\033[K\n", name.c_str())
           : std::printf("%s exists: kept\n", name.c_str()));
      return 0;
    }
    if (tty) {
      if (p.nTotalPercent == last && p.llFileDone != p.llFileSize) return 0;
      last = p.nTotalPercent;
      int filled = p.nTotalPercent / 5;
      std::fprintf(stderr, "\r[%-20.*s] %3d%% %d/%d %s\033[K", filled, "####################", p.nTotalPercent,
                   p.nFileIndex, p.nFileCount, name.c_str());
      if (p.nTotalPercent >= 100 && p.nFileIndex >= p.nFileCount) std::fputc('\n', stderr);
    } else if (p.llFileDone == p.llFileSize) {
      std::printf("%s %lld bytes\n", name.c_str(), static_cast<long long>(p.llFileSize));
    }
    return 0;
  }
};

void List(const Args& a) {
  Target t = ParseTarget(a);
  auto ftp = Open(a, t);
  Check(*ftp, ftp->SetRemoteDir(t.path.c_str()), "cannot enter " + a.url);
  ZELFtpItem item;
  item.m_strName.Empty();
  int more = ftp->GetFirstItem(item);
  for (;;) {
    if (!item.m_strName.IsEmpty()) {
      CString when = item.m_tmLastWrite.FormatGmt(L"%Y-%m-%d %H:%M");
      std::printf("%c %12lu %s %s\n", item.m_nType == ZELFtpItem::TYPE_DIR ? 'd' : '-', item.m_dwSize,
                  zelutil::Narrow(when).c_str(), zelutil::Narrow(item.m_strName).c_str());
    }
    if (!more) break;
    item.Clear();
    item.m_strName.Empty();
    more = ftp->GetNextItem(item);
  }
}

void Get(const Args& a, bool dir) {
  Target t = ParseTarget(a);
  auto ftp = Open(a, t);
  auto [folder, name] = Split(t.path);
  if (name.empty()) throw zelutil::Failure(2, "the URL names no " + std::string(dir ? "folder" : "file"));
  Check(*ftp, ftp->SetRemoteDir(folder.c_str()), "cannot enter the folder of " + a.url);
  std::wstring local = a.local.empty() ? name : zelutil::Wide(a.local);
  if (!dir && ZELGF::IsDir(local.c_str())) local = ZELGF::MakePath(local.c_str(), name.c_str()).GetString();
  Progress bar;
  int r = dir ? ftp->GetDirEx(name.c_str(), local.c_str(), a.overwrite, FTP_TRANSFER_TYPE_BINARY, &bar)
              : ftp->GetFileEx(name.c_str(), local.c_str(), a.overwrite, FTP_TRANSFER_TYPE_BINARY, &bar);
  Check(*ftp, r, "cannot fetch " + a.url);
}

void Put(const Args& a, bool dir) {
  Target t = ParseTarget(a);
  std::wstring local = zelutil::Wide(a.local);
  if (dir ? !ZELGF::IsDir(local.c_str()) : !ZELGF::IsFile(local.c_str()))
    throw zelutil::Failure(1, "no such local " + std::string(dir ? "folder: " : "file: ") + a.local);
  auto ftp = Open(a, t);
  auto [folder, name] = Split(t.path);
  Check(*ftp, ftp->SetRemoteDir(folder.c_str()), "cannot enter the folder of " + a.url);
  if (name.empty()) name = ZELGF::ExtractName(local.c_str(), 1).GetString();
  Progress bar;
  int r = dir ? ftp->PutDirEx(local.c_str(), name.c_str(), a.overwrite, FTP_TRANSFER_TYPE_BINARY, &bar)
              : ftp->PutFileEx(local.c_str(), name.c_str(), a.overwrite, FTP_TRANSFER_TYPE_BINARY, &bar);
  Check(*ftp, r, "cannot send " + a.local);
}

// mkdir, rm and mv: one request on the last name in its folder.
void Manage(const Args& a, const std::string& what) {
  Target t = ParseTarget(a);
  auto ftp = Open(a, t);
  auto [folder, name] = Split(t.path);
  if (name.empty()) throw zelutil::Failure(2, "the URL names nothing to " + what);
  Check(*ftp, ftp->SetRemoteDir(folder.c_str()), "cannot enter the folder of " + a.url);
  int r = what == "mkdir"  ? ftp->CreateDir(name.c_str(), FALSE)
          : what == "rm"   ? ftp->DeleteFileW(name.c_str())
                           : ftp->RenameFile(name.c_str(), zelutil::Wide(a.name).c_str());
  Check(*ftp, r, "cannot " + what + " " + a.url);
}

void Add(CLI::App& app) {
  auto a = std::make_shared<Args>();
  auto* ftp = app.add_subcommand("ftp", "list, fetch, send and manage files on an FTP server");
  ftp->require_subcommand(1);
  ftp->add_option("--user", a->user, "log in as this user (default: anonymous)");
  ftp->add_option("--password", a->password, "the password (else ZELFTP_PASSWORD, else a prompt)");
  ftp->add_option("--port", a->port, "the server's port (default: the URL's, else 21)");
  ftp->add_flag("--overwrite", a->overwrite, "replace targets that exist (default: keep them)");

  auto url = [&](CLI::App* c) { c->add_option("URL", a->url, "ftp://host[:port]/path")->required(); };
  auto* ls = ftp->add_subcommand("ls", "list the remote folder");
  url(ls);
  ls->callback([a] { List(*a); });
  auto* get = ftp->add_subcommand("get", "fetch a remote file");
  url(get);
  get->add_option("LOCAL", a->local, "the local file or folder (default: the remote name here)");
  get->callback([a] { Get(*a, false); });
  auto* put = ftp->add_subcommand("put", "send a local file");
  put->add_option("LOCAL", a->local)->required();
  url(put);
  put->callback([a] { Put(*a, false); });
  auto* getdir = ftp->add_subcommand("getdir", "fetch the plain files of a remote folder");
  url(getdir);
  getdir->add_option("LOCAL", a->local, "the local folder (default: the remote name here)");
  getdir->callback([a] { Get(*a, true); });
  auto* putdir = ftp->add_subcommand("putdir", "send the plain files of a local folder into an existing one");
  putdir->add_option("LOCAL", a->local)->required();
  url(putdir);
  putdir->callback([a] { Put(*a, true); });
  for (const char* what : {"mkdir", "rm"}) {
    auto* c = ftp->add_subcommand(what, std::string(what) == "rm" ? "delete a remote file" : "make a remote folder");
    url(c);
    c->callback([a, what] { Manage(*a, what); });
  }
  auto* mv = ftp->add_subcommand("mv", "rename a remote file within its folder");
  url(mv);
  mv->add_option("NEWNAME", a->name)->required();
  mv->callback([a] { Manage(*a, "mv"); });
}

zelutil::Registrar reg("ftp", Add);

}  // namespace
