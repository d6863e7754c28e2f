// zelutil sql: runs one statement on a database and prints its rows as an
// aligned table (or CSV), or the number of rows it changed; "tables" lists
// the tables through the schema query. With --row the statement runs once
// per row of values, all in one transaction; --blob-in and --blob-out move
// a file into or out of a long binary field of the first row a query gives.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "ZELAdo.h"
#include "sql_proc.h"

namespace {

[[noreturn]] void Fail(ZELAdo& ado, const std::string& what) {
  std::string reason;
  if (ado.GetLogCount() > 0) {
    const ZEL_LOG_RECORD& r = ado.GetLog(ado.GetLogCount() - 1);
    reason = ": " + zelutil::Narrow(r.strText);
    if (!r.strDetail.IsEmpty()) reason += " (" + zelutil::Narrow(r.strDetail) + ")";
  }
  throw zelutil::Failure(1, what + reason);
}

// A parameter is a whole number, a number or a text, as it reads.
void AppendParam(ZELAdo& ado, const std::string& value) {
  std::wstring wide = zelutil::Wide(value);
  char* end = nullptr;
  long long n = std::strtoll(value.c_str(), &end, 10);
  bool whole = !value.empty() && *end == '\0';
  double d = std::strtod(value.c_str(), &end);
  bool number = !value.empty() && *end == '\0';
  int ok;
  if (whole)
    ok = ado.AppendParam(L"", adBigInt, adParamInput, 8, _variant_t(n));
  else if (number)
    ok = ado.AppendParam(L"", adDouble, adParamInput, 8, _variant_t(d));
  else
    ok = ado.AppendParam(L"", adVarWChar, adParamInput, static_cast<long>(wide.size()), _variant_t(wide.c_str()));
  if (!ok) Fail(ado, "cannot bind parameter '" + value + "'");
}

// A value read as what it is: dates, numbers and texts each through their
// typed reader.
std::string CellText(ZELAdo& ado, long index) {
  _variant_t v;
  ado.GetFieldValueByIndex(index, v);
  if (v.vt == VT_NULL) return "NULL";
  if ((v.vt & VT_ARRAY) != 0 && v.parray != NULL) {
    LONG upper = -1;
    SafeArrayGetUBound(v.parray, 1, &upper);
    return "<" + std::to_string(upper + 1) + " bytes>";
  }
  CString text;
  if (v.vt == VT_DATE) {
    COleDateTime dt;
    // A whole day reads as the date alone.
    if (ado.GetFieldValueByIndex(index, dt))
      text = dt.Format(dt.m_dt == static_cast<double>(static_cast<long long>(dt.m_dt)) ? L"%Y-%m-%d"
                                                                                        : L"%Y-%m-%d %H:%M:%S");
  } else if (v.vt == VT_R8 || v.vt == VT_R4) {
    double d = 0;
    if (ado.GetFieldValueByIndex(index, d)) text.Format(L"%.15g", d);
  } else if (v.vt == VT_I4 || v.vt == VT_I2 || v.vt == VT_UI1 || v.vt == VT_BOOL) {
    long n = 0;
    if (ado.GetFieldValueByIndex(index, n)) text.Format(L"%d", static_cast<int>(n));
  } else {
    ado.GetFieldValueByIndex(index, text);
  }
  return zelutil::Narrow(text);
}

// The values of one --row: comma-separated, as they read.
std::vector<std::string> SplitRow(const std::string& row) {
  std::vector<std::string> values(1);
  for (char c : row) {
    if (c == ',')
      values.emplace_back();
    else
      values.back() += c;
  }
  return values;
}

void RunRows(ZELAdo& ado, const std::string& statement, const std::vector<std::string>& rows) {
  std::wstring text = zelutil::Wide(statement);
  if (!ado.BeginTrans()) Fail(ado, "cannot begin a transaction");
  if (!ado.CreateCommand()) Fail(ado, "cannot make a command");
  for (const std::string& row : rows) {
    ado.ClearParam();
    for (const std::string& value : SplitRow(row)) AppendParam(ado, value);
    if (!ado.ExecuteBindingQuery(text.c_str())) {
      std::string reason = "row '" + row + "' failed";
      ado.Rollback();
      Fail(ado, reason);
    }
  }
  if (!ado.CommitTrans()) Fail(ado, "cannot commit");
  std::cout << rows.size() << " row" << (rows.size() == 1 ? "" : "s") << " written in one transaction\n";
}

// FIELD=FILE
void SplitBlobArgument(const std::string& arg, std::wstring& field, std::wstring& file) {
  size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0) throw zelutil::Failure(2, "expected FIELD=FILE, got '" + arg + "'");
  field = zelutil::Wide(arg.substr(0, eq));
  file = zelutil::Wide(arg.substr(eq + 1));
}

void RunBlob(ZELAdo& ado, const std::string& statement, const std::string& blobIn, const std::string& blobOut) {
  std::wstring field, file;
  if (!ado.OpenRecordset(zelutil::Wide(statement).c_str(), adOpenKeyset, adLockOptimistic))
    Fail(ado, "query failed");
  if (ado.IsEOF()) throw zelutil::Failure(1, "the query gave no row");
  if (!blobIn.empty()) {
    SplitBlobArgument(blobIn, field, file);
    if (!ado.FileToBlob(field.c_str(), file.c_str()) || !ado.Update()) Fail(ado, "cannot store the file");
    std::cout << "stored " << zelutil::Narrow(file.c_str()) << " in " << zelutil::Narrow(field.c_str()) << "\n";
  }
  if (!blobOut.empty()) {
    SplitBlobArgument(blobOut, field, file);
    if (!ado.BlobToFile(field.c_str(), file.c_str())) Fail(ado, "cannot write the file");
    std::cout << "wrote " << zelutil::Narrow(field.c_str()) << " to " << zelutil::Narrow(file.c_str()) << "\n";
  }
}

size_t Width(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) n++;
  return n;
}

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string quoted = "\"";
  for (char c : s) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

void PrintRows(ZELAdo& ado, bool csv) {
  CStringArray names;
  long count = ado.GetFieldList(names);
  std::vector<std::vector<std::string>> rows(1);
  for (long i = 0; i < count; i++) rows[0].push_back(zelutil::Narrow(names[i]));
  for (; !ado.IsEOF(); ado.MoveNext()) {
    rows.emplace_back();
    for (long i = 0; i < count; i++) rows.back().push_back(CellText(ado, i));
  }
  if (csv) {
    for (const auto& row : rows) {
      for (size_t i = 0; i < row.size(); i++) std::cout << (i ? "," : "") << CsvField(row[i]);
      std::cout << "\n";
    }
    return;
  }
  std::vector<size_t> widths(static_cast<size_t>(count), 0);
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); i++) widths[i] = std::max(widths[i], Width(row[i]));
  for (size_t r = 0; r < rows.size(); r++) {
    for (size_t i = 0; i < rows[r].size(); i++) {
      std::cout << (i ? " | " : "") << rows[r][i];
      if (i + 1 < rows[r].size()) std::cout << std::string(widths[i] - Width(rows[r][i]), ' ');
    }
    std::cout << "\n";
    if (r == 0) {
      for (size_t i = 0; i < widths.size(); i++) std::cout << (i ? "-+-" : "") << std::string(widths[i], '-');
      std::cout << "\n";
    }
  }
  std::cout << "(" << rows.size() - 1 << " row" << (rows.size() == 2 ? "" : "s") << ")\n";
}

struct Options {
  std::string connect, statement, blobIn, blobOut, proc;
  std::vector<std::string> params, rows;
  bool csv = false;
};

void Run(const Options& o) {
  CoInitialize(NULL);
  ZELAdo ado;
  if (!ado.Connect(zelutil::Wide(o.connect).c_str())) Fail(ado, "cannot connect");
  if (!o.proc.empty()) {
    if (!zelutil::RunProcedure(ado, o.proc, o.params, AppendParam)) Fail(ado, "procedure failed");
    if (ado.IsRecordsetOpened() && ado.GetFieldCount() > 0) PrintRows(ado, o.csv);
    return zelutil::PrintOutputs(ado, o.params);
  }
  if (o.statement.empty()) throw zelutil::Failure(2, "a statement or --proc NAME is needed");
  const std::string& statement = o.statement;
  if (!o.rows.empty()) return RunRows(ado, statement, o.rows);
  if (!o.blobIn.empty() || !o.blobOut.empty()) return RunBlob(ado, statement, o.blobIn, o.blobOut);
  if (statement == "tables") {
    if (!ado.OpenSchema_Table()) Fail(ado, "cannot list the tables");
    for (; !ado.IsEOF(); ado.MoveNext()) {
      CString name;
      ado.GetFieldValueByName(L"TABLE_NAME", name);
      std::cout << zelutil::Narrow(name) << "\n";
    }
    return;
  }
  if (!ado.CreateCommand()) Fail(ado, "cannot make a command");
  for (const std::string& p : o.params) AppendParam(ado, p);
  if (!ado.ExecuteBindingQuery(zelutil::Wide(statement).c_str())) Fail(ado, "statement failed");
  if (ado.IsRecordsetOpened() && ado.GetFieldCount() > 0) {
    PrintRows(ado, o.csv);
    return;
  }
  // The engine's own count of the rows a data statement changed.
  std::string verb = statement.substr(0, statement.find_first_of(" \t\r\n("));
  for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  bool changesRows = verb == "INSERT" || verb == "UPDATE" || verb == "DELETE" || verb == "REPLACE";
  long changed = 0;
  if (changesRows && ado.OpenRecordset(L"SELECT changes()", adOpenForwardOnly, adLockReadOnly) &&
      ado.GetFieldValueByIndex(0, changed))
    std::cout << changed << " row" << (changed == 1 ? "" : "s") << " affected\n";
  else
    std::cout << "done\n";
}

zelutil::Registrar reg("sql", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("sql", "run a statement on a database, or list its tables");
  auto o = std::make_shared<Options>();
  cmd->add_option("--connect", o->connect, "connection text, e.g. \"Provider=SQLite;Data Source=shop.db\"")
      ->required();
  cmd->add_option("statement", o->statement, "the statement (with ? markers), or \"tables\"");
  cmd->add_option("--proc", o->proc, "run the stored procedure or function NAME with the --param values "
                                     "(in:V, inout:V, out:, ret:), printing its outputs after its rows");
  cmd->add_option("--param", o->params, "a value for the next ? marker (repeatable)")
      ->allow_extra_args(false);
  cmd->add_option("--row", o->rows, "comma-separated values: run once per --row, in one transaction")
      ->allow_extra_args(false);
  cmd->add_option("--blob-in", o->blobIn, "FIELD=FILE: store the file in the first row the query gives");
  cmd->add_option("--blob-out", o->blobOut, "FIELD=FILE: write the field of the first row to the file");
  cmd->add_flag("--csv", o->csv, "print rows as CSV");
  cmd->callback([o] { Run(*o); });
});

}  // namespace
