// Inserts 100,000 rows of 5 columns through CreateCommand, AppendParam and
// ExecuteBindingQuery in one transaction, beside libpq running one prepared
// statement per row (PQexecPrepared, text values) in one transaction.
#include "PgBench.h"

namespace {

long kRows = 100000;
const char kTable[] = "CREATE TABLE IF NOT EXISTS t (id integer, name text, price double precision, qty integer, note text); "
                      "TRUNCATE t";

void Ours(const zeltest::PgCluster& pg, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  pgbench::MustConnect(ado, pg);
  ado.ExecuteSQL(CString(kTable));
  adobench::InsertSide(ado, kRows, r);
}

void Peer(const zeltest::PgCluster& pg, adobench::Result& r) {
  PGconn* c = pgbench::PeerConnect(pg);
  pgbench::PeerExec(c, kTable);
  double start = adobench::Seconds();
  pgbench::PeerExec(c, "BEGIN");
  PQclear(PQprepare(c, "ins", "INSERT INTO t VALUES ($1, $2, $3, $4, $5)", 5, nullptr));
  char id[24], name[32], price[32], qty[24], note[48];
  const char* values[] = {id, name, price, qty, note};
  for (long i = 0; i < kRows; i++) {
    snprintf(id, sizeof id, "%ld", i);
    snprintf(name, sizeof name, "item %ld", i);
    snprintf(price, sizeof price, "%.17g", i * 0.25);
    snprintf(qty, sizeof qty, "%ld", i % 97);
    snprintf(note, sizeof note, "note of row %ld", i);
    PGresult* res = PQexecPrepared(c, "ins", 5, values, nullptr, nullptr, 0);
    if (PQresultStatus(res) != PGRES_COMMAND_OK) std::exit(1);
    PQclear(res);
  }
  pgbench::PeerExec(c, "COMMIT");
  r.value = kRows / (adobench::Seconds() - start);
  PGresult* res = PQexec(c, "SELECT count(*) FROM t");
  r.check = std::atof(PQgetvalue(res, 0, 0));
  PQclear(res);
  PQfinish(c);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::atol(argv[1]) > 0) kRows = std::atol(argv[1]);
  zeltest::PgCluster pg;
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(pg, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(pg, r); });
  if (ours.check != peer.check) std::printf("warning: the two sides wrote %.0f and %.0f rows\n", ours.check, peer.check);
  adobench::Report("pg_insert", "rows/s", ours, peer, pgbench::kPeer);
  return 0;
}
