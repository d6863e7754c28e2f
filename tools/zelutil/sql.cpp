// zelutil sql: runs one statement on a database and prints its rows as an
// aligned table (or CSV), or the number of rows it changed; "tables" lists
// the tables through the schema query. With --row the statement runs once
// per row of values, all in one transaction; --blob-in and --blob-out move
// a file into or out of a long binary field of the first row a query gives.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "SqlValues.h"
#include "ZELAdo.h"
#include "sql_proc.h"

namespace {

[[noreturn]] void Fail(ZELAdo& ado, const std::string& what) {
  throw zelutil::Failure(zelutil::kExitFailed, what + zelutil::LastReport(ado));
}

// A value read as what it is: dates, numbers and texts each through their
// typed reader.
std::string CellText(ZELAdo& ado, long index) {
  _variant_t v;
  if (!ado.GetFieldValueByIndex(index, v)) Fail(ado, "cannot read field " + std::to_string(index + 1));
  if (v.vt == VT_NULL) return "NULL";
  if ((v.vt & VT_ARRAY) != 0 && v.parray != NULL) {
    LONG upper = -1;
    SafeArrayGetUBound(v.parray, 1, &upper);
    return "<" + std::to_string(upper + 1) + " bytes>";
  }
  CString text;
  bool ok;
  if (v.vt == VT_DATE) {
    COleDateTime dt;
    // A whole day reads as the date alone.
    ok = ado.GetFieldValueByIndex(index, dt);
    if (ok)
      text = dt.Format(dt.m_dt == static_cast<double>(static_cast<long long>(dt.m_dt)) ? L"%Y-%m-%d"
                                                                                        : L"%Y-%m-%d %H:%M:%S");
  } else if (v.vt == VT_R8 || v.vt == VT_R4) {
    double d = 0;
    ok = ado.GetFieldValueByIndex(index, d);
    if (ok) text.Format(L"%.15g", d);
  } else if (v.vt == VT_I4 || v.vt == VT_I2 || v.vt == VT_UI1 || v.vt == VT_BOOL) {
    long n = 0;
    ok = ado.GetFieldValueByIndex(index, n);
    if (ok) text.Format(L"%d", static_cast<int>(n));
  } else {
    ok = ado.GetFieldValueByIndex(index, text);
  }
  if (!ok) Fail(ado, "cannot read field " + std::to_string(index + 1));
  return zelutil::Narrow(text);
}

void RunRows(ZELAdo& ado, const std::string& statement, const std::vector<std::string>& rows) {
  std::wstring text = zelutil::Wide(statement);
  if (!ado.BeginTrans()) Fail(ado, "cannot begin a transaction");
  if (!ado.CreateCommand()) Fail(ado, "cannot make a command");
  for (const std::string& row : rows) {
    ado.ClearParam();
    for (const zelutil::SqlValue& value : zelutil::SplitCsvRecord(row)) zelutil::BindValue(ado, value);
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
  if (eq == std::string::npos || eq == 0)
    throw zelutil::Failure(zelutil::kExitUsage, "expected FIELD=FILE, got '" + arg + "'");
  field = zelutil::Wide(arg.substr(0, eq));
  file = zelutil::Wide(arg.substr(eq + 1));
}

_variant_t EmptyBytes() {
  _variant_t v;
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = SafeArrayCreateVector(VT_UI1, 0, 0);
  return v;
}

void RunBlob(ZELAdo& ado, const std::string& statement, const std::string& blobIn, const std::string& blobOut) {
  std::wstring field, file;
  if (!ado.OpenRecordset(zelutil::Wide(statement).c_str(), adOpenKeyset, adLockOptimistic))
    Fail(ado, "query failed");
  if (ado.IsEOF()) throw zelutil::Failure(zelutil::kExitFailed, "the query gave no row");
  if (!blobIn.empty()) {
    SplitBlobArgument(blobIn, field, file);
    // Appending nothing would keep the old content: an empty file is an
    // empty field.
    struct stat st;
    bool empty = stat(zelutil::Narrow(file.c_str()).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
    bool stored = empty ? ado.SetFieldValueByName(field.c_str(), EmptyBytes()) : ado.FileToBlob(field.c_str(), file.c_str());
    if (!stored || !ado.Update()) Fail(ado, "cannot store the file");
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

// One step of a result: false at the end; a failed step ends the run
// with exit code 1 once what was read is printed.
bool NextRow(ZELAdo& ado, bool first, std::string& error) {
  if (!first && !ado.MoveNext()) {
    error = "reading the next row failed" + zelutil::LastReport(ado);
    return false;
  }
  return !ado.IsEOF();
}

std::vector<std::string> ReadRow(ZELAdo& ado, long count, std::string& error) {
  std::vector<std::string> row;
  try {
    for (long i = 0; i < count; i++) row.push_back(CellText(ado, i));
  } catch (const zelutil::Failure& f) {
    error = f.what();
    row.clear();
  }
  return row;
}

void PrintCsvRow(const std::vector<std::string>& row) {
  for (size_t i = 0; i < row.size(); i++) std::cout << (i ? "," : "") << CsvField(row[i]);
  std::cout << "\n";
  zelutil::CheckOutput();
}

// CSV goes out row by row as the forward-only result gives it.
void StreamCsv(ZELAdo& ado, const std::vector<std::string>& header, std::string& error) {
  PrintCsvRow(header);
  long count = static_cast<long>(header.size());
  for (bool first = true; error.empty() && NextRow(ado, first, error); first = false) {
    std::vector<std::string> row = ReadRow(ado, count, error);
    if (error.empty()) PrintCsvRow(row);
  }
}

void PrintTable(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths(rows[0].size(), 0);
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

void PrintRows(ZELAdo& ado, bool csv) {
  CStringArray names;
  long count = ado.GetFieldList(names);
  std::vector<std::string> header;
  for (long i = 0; i < count; i++) header.push_back(zelutil::Narrow(names[i]));
  std::string error;
  if (csv) {
    StreamCsv(ado, header, error);
  } else {
    std::vector<std::vector<std::string>> rows{header};
    for (bool first = true; error.empty() && NextRow(ado, first, error); first = false) {
      rows.push_back(ReadRow(ado, count, error));
      if (!error.empty()) rows.pop_back();
    }
    PrintTable(rows);
  }
  if (!error.empty()) throw zelutil::Failure(zelutil::kExitFailed, error);
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
    auto bind = [](ZELAdo& a, const std::string& value) { zelutil::BindValue(a, zelutil::SqlValue{value}); };
    if (!zelutil::RunProcedure(ado, o.proc, o.params, bind)) Fail(ado, "procedure failed");
    if (ado.IsRecordsetOpened() && ado.GetFieldCount() > 0) PrintRows(ado, o.csv);
    return zelutil::PrintOutputs(ado, o.params);
  }
  if (o.statement.empty()) throw zelutil::Failure(zelutil::kExitUsage, "a statement or --proc NAME is needed");
  const std::string& statement = o.statement;
  if (!o.rows.empty()) return RunRows(ado, statement, o.rows);
  if (!o.blobIn.empty() || !o.blobOut.empty()) return RunBlob(ado, statement, o.blobIn, o.blobOut);
  if (statement == "tables") {
    if (!ado.OpenSchema_Table()) Fail(ado, "cannot list the tables");
    std::string error;
    for (bool first = true; NextRow(ado, first, error); first = false) {
      CString name;
      if (!ado.GetFieldValueByName(L"TABLE_NAME", name)) Fail(ado, "cannot read a table name");
      std::cout << zelutil::Narrow(name) << "\n";
      zelutil::CheckOutput();
    }
    if (!error.empty()) throw zelutil::Failure(zelutil::kExitFailed, error);
    return;
  }
  if (!ado.CreateCommand()) Fail(ado, "cannot make a command");
  for (const std::string& p : o.params) zelutil::BindValue(ado, zelutil::SqlValue{p});
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
  cmd->add_option("--param", o->params,
                  "a value for the next ? marker (repeatable): text as written, or int:5, real:2.5, null, "
                  "text:... for text that reads as a type")
      ->allow_extra_args(false);
  cmd->add_option("--row", o->rows,
                  "one CSV record of values (quote a value holding a comma; quoted values are text): run "
                  "once per --row, in one transaction")
      ->allow_extra_args(false);
  cmd->add_option("--blob-in", o->blobIn, "FIELD=FILE: store the file in the first row the query gives");
  cmd->add_option("--blob-out", o->blobOut, "FIELD=FILE: write the field of the first row to the file");
  cmd->add_flag("--csv", o->csv, "print rows as CSV");
  cmd->callback([o] { Run(*o); });
});

}  // namespace
