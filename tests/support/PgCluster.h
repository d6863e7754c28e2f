// A throw-away PostgreSQL cluster for tests: initdb in a temporary folder as
// the unprivileged postgres user, a free loopback port, its socket in that
// folder. A watcher process stops the server and removes the folder when
// this object goes, or when the test program dies in any way.
#pragma once

#include <memory>
#include <string>

namespace zeltest {

class PgCluster {
public:
  // Throws std::runtime_error (with the server's log) when it cannot start.
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // A streaming standby of `primary`, started and following it.
  static std::unique_ptr<PgCluster> StandbyOf(const PgCluster& primary);

  int port() const { return m_port; }
  const std::string& folder() const { return m_dir; }
  static const char* Password() { return "zel-secret"; }
  // "127.0.0.1:port"
  std::string Address() const;
  // The connection text of a database, with user and password in it.
  std::wstring ConnText(const std::string& database = "postgres") const;

  void Stop();     // fast shutdown; sessions are cut
  void Start();    // again on the same port
  void Promote();  // a standby becomes a primary
  // Runs SQL through psql over the socket; answers its unaligned output.
  // Throws std::runtime_error when psql fails.
  std::string Sql(const std::string& sql, const std::string& database = "postgres") const;

private:
  explicit PgCluster(bool empty);
  void MakeFolder();
  void Launch();

  std::string m_dir;
  int m_port = 0;
  int m_watcher = -1;  // write end of the watcher's pipe
  int m_watcherPid = -1;
};

}  // namespace zeltest

namespace zeltest {

// One cluster for the whole test program, started on first use.
PgCluster& SharedPgCluster();
// A new, empty database on the shared cluster; answers its name.
std::string FreshPgDatabase();

}  // namespace zeltest
