#include "support/PgCluster.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <pwd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace zeltest {

namespace {

std::string BinDir() {
  std::error_code ec;
  std::string best;
  for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec))
    if (std::filesystem::exists(e.path() / "bin/initdb") && e.path().string() > best) best = e.path().string();
  if (best.empty()) throw std::runtime_error("PostgreSQL server programs are not installed (/usr/lib/postgresql/*/bin)");
  return best + "/bin/";
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The server refuses to run as root, so root runs it as postgres.
std::string AsServerUser(const std::string& command) {
  if (geteuid() != 0) return command;
  return "runuser -u postgres -- sh -c " + Quote(command);
}

std::string RunOut(const std::string& command) {
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) throw std::runtime_error("cannot run " + command);
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  int status = pclose(p);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(command + " failed:\n" + out);
  return out;
}

int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    close(s);
    throw std::runtime_error("no free loopback port");
  }
  close(s);
  return ntohs(a.sin_port);
}

}  // namespace

PgCluster::PgCluster(bool) { MakeFolder(); }

PgCluster::PgCluster() {
  MakeFolder();
  {
    FILE* f = fopen((m_dir + "/pw").c_str(), "w");
    if (!f) throw std::runtime_error("cannot write the password file");
    fprintf(f, "%s\n", Password());
    fclose(f);
    chmod((m_dir + "/pw").c_str(), 0644);
  }
  RunOut(AsServerUser(BinDir() + "initdb -D " + Quote(m_dir + "/data") + " -U postgres -E UTF8 --no-locale --no-sync " +
                      "--auth-local=trust --auth-host=scram-sha-256 --pwfile=" + Quote(m_dir + "/pw")));
  Launch();
}

std::unique_ptr<PgCluster> PgCluster::StandbyOf(const PgCluster& primary) {
  std::unique_ptr<PgCluster> s(new PgCluster(true));
  RunOut(AsServerUser(BinDir() + "pg_basebackup -D " + Quote(s->m_dir + "/data") + " -h " + Quote(primary.m_dir) +
                      " -p " + std::to_string(primary.m_port) + " -U postgres -R -X stream --no-sync"));
  s->Launch();
  return s;
}

void PgCluster::MakeFolder() {
  // /tmp itself: the server's user must reach the folder, and the socket's
  // path must stay short, whatever TMPDIR says.
  std::string tmpl = "/tmp/zelpg-XXXXXX";
  if (!mkdtemp(&tmpl[0])) throw std::runtime_error("mkdtemp failed");
  m_dir = tmpl;
  if (geteuid() == 0) {
    passwd* pw = getpwnam("postgres");
    if (!pw) throw std::runtime_error("there is no postgres user to run the server as");
    if (chown(m_dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) throw std::runtime_error("cannot hand the folder over");
  }
  chmod(m_dir.c_str(), 0755);
  // The watcher waits for the end of its pipe, which comes when this
  // process closes it or dies, and then stops the server and clears up.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::string script = "read x; " + AsServerUser(BinDir() + "pg_ctl -D " + Quote(m_dir + "/data") +
                                                 " -m immediate stop") +
                       " >/dev/null 2>&1; rm -rf " + Quote(m_dir);
  pid_t pid = fork();
  if (pid == 0) {
    setsid();
    dup2(fds[0], 0);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[0]);
  if (pid < 0) {
    close(fds[1]);
    throw std::runtime_error("fork failed");
  }
  m_watcher = fds[1];
  m_watcherPid = pid;
}

void PgCluster::Launch() {
  for (int attempt = 0;; ++attempt) {
    m_port = FreePort();  // another program may take it first: then try another
    try {
      Start();
      return;
    } catch (const std::exception&) {
      if (attempt == 2) throw std::runtime_error("the server did not start:\n" + RunOut("cat " + Quote(m_dir + "/log")));
    }
  }
}

PgCluster::~PgCluster() {
  close(m_watcher);
  int status = 0;
  waitpid(m_watcherPid, &status, 0);
}

std::string PgCluster::Address() const { return "127.0.0.1:" + std::to_string(m_port); }

std::wstring PgCluster::ConnText(const std::string& database) const {
  std::string t = "Provider=PostgreSQL;Data Source=" + Address() + ";Initial Catalog=" + database +
                  ";User ID=postgres;Password=" + Password();
  return std::wstring(t.begin(), t.end());
}

void PgCluster::Stop() {
  RunOut(AsServerUser(BinDir() + "pg_ctl -D " + Quote(m_dir + "/data") + " -m fast -w stop"));
}

void PgCluster::Start() {
  std::string options = "-p " + std::to_string(m_port) + " -k " + m_dir +
                        " -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off"
                        " -c synchronous_commit=off -c max_connections=40 -c shared_buffers=32MB";
  RunOut(AsServerUser(BinDir() + "pg_ctl -D " + Quote(m_dir + "/data") + " -l " + Quote(m_dir + "/log") +
                      " -w -t 60 -o " + Quote(options) + " start"));
}

void PgCluster::Promote() { RunOut(AsServerUser(BinDir() + "pg_ctl -D " + Quote(m_dir + "/data") + " -w promote")); }

std::string PgCluster::Sql(const std::string& sql, const std::string& database) const {
  return RunOut(AsServerUser(BinDir() + "psql -X -q -At -v ON_ERROR_STOP=1 -h " + Quote(m_dir) + " -p " +
                             std::to_string(m_port) + " -U postgres -d " + Quote(database) + " -c " + Quote(sql)));
}

}  // namespace zeltest

namespace zeltest {

PgCluster& SharedPgCluster() {
  static std::unique_ptr<PgCluster> shared(new PgCluster);
  return *shared;
}

std::string FreshPgDatabase() {
  static int count = 0;
  std::string name = "zel_" + std::to_string(++count);
  SharedPgCluster().Sql("CREATE DATABASE " + name);
  return name;
}

}  // namespace zeltest
