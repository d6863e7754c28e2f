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
  double start = adobench::Seconds();
  ado.BeginTrans();
  ado.CreateCommand();
  wchar_t name[32], note[48];
  for (long i = 0; i < kRows; i++) {
    swprintf(name, 32, L"item %ld", i);
    swprintf(note, 48, L"note of row %ld", i);
    ado.ClearParam();
    ado.AppendParam(L"id", adInteger, adParamInput, 4, _variant_t(static_cast<LONG>(i)));
    ado.AppendParam(L"name", adVarWChar, adParamInput, 32, _variant_t(name));
    ado.AppendParam(L"price", adDouble, adParamInput, 8, _variant_t(i * 0.25));
    ado.AppendParam(L"qty", adInteger, adParamInput, 4, _variant_t(static_cast<LONG>(i % 97)));
    ado.AppendParam(L"note", adVarWChar, adParamInput, 48, _variant_t(note));
    if (!ado.ExecuteBindingQuery(L"INSERT INTO t VALUES (?, ?, ?, ?, ?)")) std::exit(1);
  }
  ado.CommitTrans();
  r.value = kRows / (adobench::Seconds() - start);
  long n = 0;
  if (ado.OpenRecordset(L"SELECT count(*) FROM t", adOpenForwardOnly, adLockReadOnly)) ado.GetFieldValueByIndex(0, n);
  r.check = n;
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
