// Stored procedures and functions of the server engine. Parameters are
// positional: a return-value parameter takes the result of a function, the
// others are the routine's arguments in order. A procedure is CALLed with
// every argument (an output one passes NULL) and answers one row of its
// output arguments; a function is given its input arguments and answers
// either rows (a set-returning function: they become the recordset) or one
// row of its result or output arguments.
#include "platform/ado/postgres/PgSession.h"

#include "platform/ado/MemoryRows.h"
#include "platform/ado/postgres/PgTypes.h"

namespace zelado {
namespace pg {

namespace {

bool IsOutput(ParameterDirectionEnum d) { return d == adParamOutput || d == adParamInputOutput; }

}  // namespace

std::unique_ptr<RowStream> PgSession::ExecuteProcedure(const std::wstring& name, std::vector<EngineParam>& params) {
  std::vector<Value> lookup = {Value::Str(Utf8(name))};
  ResultPtr found = RunOnce(
      "SELECT quote_ident(n.nspname) || '.' || quote_ident(p.proname), p.prokind = 'p', p.proretset "
      "FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace, parse_ident($1) AS id "
      "WHERE p.proname = id[cardinality(id)] AND p.prokind IN ('f', 'p') AND CASE cardinality(id) "
      "WHEN 1 THEN pg_function_is_visible(p.oid) WHEN 2 THEN n.nspname = id[1] ELSE false END "
      "ORDER BY p.prokind DESC LIMIT 1",
      lookup, PGRES_TUPLES_OK);
  if (PQntuples(found.get()) == 0)
    Raise(ErrorKind::Syntax, L"there is no procedure or function named " + name);
  std::string routine = PQgetvalue(found.get(), 0, 0);
  bool procedure = PQgetvalue(found.get(), 0, 1)[0] == 't';
  bool rows = PQgetvalue(found.get(), 0, 2)[0] == 't';

  std::vector<Value> args;
  std::vector<size_t> outs;
  size_t result = params.size();
  for (size_t i = 0; i < params.size(); ++i) {
    ParameterDirectionEnum d = params[i].direction;
    if (d == adParamReturnValue) {
      result = i;
      continue;
    }
    if (IsOutput(d)) outs.push_back(i);
    if (d == adParamOutput && !procedure) continue;
    args.push_back(d == adParamOutput ? Value() : params[i].value);
  }
  std::string call = (procedure ? "CALL " : "SELECT * FROM ") + routine + "(";
  for (size_t i = 0; i < args.size(); ++i) call += (i ? ", $" : "$") + std::to_string(i + 1);
  call += ")";
  if (rows) return SendOnce(call, args);

  ResultPtr r = RunOnce(call, args, PGRES_TUPLES_OK);
  if (PQntuples(r.get()) > 0) {
    Row values;
    ReadRow(r.get(), 0, 0, values);
    // A function without output arguments answers its result in one column.
    if (outs.empty() && result < params.size() && !values.empty()) params[result].value = std::move(values[0]);
    for (size_t k = 0; k < outs.size() && k < values.size(); ++k) params[outs[k]].value = std::move(values[k]);
  }
  return std::unique_ptr<RowStream>(new MemoryRows({}));
}

}  // namespace pg
}  // namespace zelado
