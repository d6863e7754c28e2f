// What the server benchmarks share: a throw-away cluster started by the
// parent (the tests' starter), ZELAdo on one side and plain libpq on the
// other, each in its own child.
#pragma once

#include <libpq-fe.h>

#include "AdoBench.h"
#include "support/PgCluster.h"

namespace pgbench {

constexpr const char* kPeer = "libpq";

inline void MustConnect(ZELAdo& ado, const zeltest::PgCluster& pg) {
  if (!ado.Connect(pg.ConnText().c_str())) {
    std::fprintf(stderr, "connect failed: %s\n", CString(ado.GetLog(ado.GetLogCount() - 1).strDetail).ToUtf8().c_str());
    std::exit(1);
  }
}

inline PGconn* PeerConnect(const zeltest::PgCluster& pg) {
  std::string info = "host=127.0.0.1 port=" + std::to_string(pg.port()) + " dbname=postgres user=postgres password=" +
                     zeltest::PgCluster::Password();
  PGconn* c = PQconnectdb(info.c_str());
  if (PQstatus(c) != CONNECTION_OK) {
    std::fprintf(stderr, "libpq: %s", PQerrorMessage(c));
    std::exit(1);
  }
  return c;
}

// Runs a statement without values, ending the program when it fails.
inline void PeerExec(PGconn* c, const char* sql) {
  PGresult* r = PQexec(c, sql);
  if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
    std::fprintf(stderr, "libpq: %s", PQresultErrorMessage(r));
    std::exit(1);
  }
  PQclear(r);
}

}  // namespace pgbench
