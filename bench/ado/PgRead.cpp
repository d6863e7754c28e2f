// Reads 1,000,000 rows of 5 columns forward-only with MoveNext and
// GetFieldValueByIndex, beside libpq reading the same statement in
// single-row mode (the mode the engine uses, so both hold one row at a
// time) into the same kinds of values. `bench_pg_read [rows]` takes another
// count: 10,000,000 shows the memory staying flat.
#include "PgBench.h"

namespace {

const char kSelect[] = "SELECT id, name, price, qty, note FROM t";

void Ours(const zeltest::PgCluster& pg, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  pgbench::MustConnect(ado, pg);
  adobench::ReadSide(ado, adOpenForwardOnly, r);
}

void Peer(const zeltest::PgCluster& pg, adobench::Result& r) {
  PGconn* c = pgbench::PeerConnect(pg);
  double start = adobench::Seconds();
  PQsendQueryParams(c, kSelect, 0, nullptr, nullptr, nullptr, nullptr, 0);
  PQsetSingleRowMode(c);
  long rows = 0;
  double check = 0;
  std::string text;
  while (PGresult* res = PQgetResult(c)) {
    if (PQresultStatus(res) == PGRES_SINGLE_TUPLE) {
      check += std::strtol(PQgetvalue(res, 0, 0), nullptr, 10);
      text.assign(PQgetvalue(res, 0, 1), static_cast<size_t>(PQgetlength(res, 0, 1)));
      check += text.size();
      check += std::strtod(PQgetvalue(res, 0, 2), nullptr);
      check += std::strtol(PQgetvalue(res, 0, 3), nullptr, 10);
      text.assign(PQgetvalue(res, 0, 4), static_cast<size_t>(PQgetlength(res, 0, 4)));
      check += text.size();
      rows++;
    }
    PQclear(res);
  }
  r.value = rows / (adobench::Seconds() - start);
  r.check = check;
  PQfinish(c);
}

}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 && std::atol(argv[1]) > 0 ? std::atol(argv[1]) : 1000000;
  zeltest::PgCluster pg;
  pg.Sql("CREATE TABLE t (id integer PRIMARY KEY, name text, price double precision, qty integer, note text); "
         "INSERT INTO t SELECT i, 'item ' || i, i * 0.25, i % 97, 'note of row ' || i FROM generate_series(1, " +
         std::to_string(rows) + ") i");
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(pg, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(pg, r); });
  if (ours.check != peer.check) std::printf("warning: the two sides read different values (%.0f, %.0f)\n", ours.check, peer.check);
  adobench::Report("pg_read", "rows/s", ours, peer, pgbench::kPeer);
  return 0;
}
