// zelutil xls: the sheets of a 97-2003 workbook. "sheets" lists them,
// "dump" prints a sheet's rows (its first row names the columns) as
// tab-separated text or CSV, "set" writes one cell by 0-based data row and
// column, "append" adds a row. Cells are written as text, as ZELExcel
// writes them; rows are appended after the sheet's last used row.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "ZELAdo.h"
#include "ZELExcel.h"
#include "ZELGF.h"

namespace {

struct Options {
  std::string action, file, sheet, text;
  int row = 0, col = 0;
  std::vector<std::string> values;
  bool csv = false;
};

[[noreturn]] void Fail(ZELLog& log, const std::string& what) {
  std::string reason;
  if (log.GetLogCount() > 0) {
    ZEL_LOG_RECORD r = log.GetLog(log.GetLogCount() - 1);
    reason = ": " + zelutil::Narrow(r.strDetail.IsEmpty() ? r.strText : r.strDetail);
  }
  throw zelutil::Failure(1, what + reason);
}

std::wstring ConnectionText(const std::string& file) {
  return L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + zelutil::Wide(file) + L";Extended Properties=Excel 8.0;";
}

// A cell as a reader wants it: numbers in their shortest exact form, dates
// as ISO dates, booleans as TRUE or FALSE, empty cells as nothing.
std::string Cell(const _variant_t& v) {
  CString text;
  switch (v.vt) {
    case VT_R8: text.Format(L"%.15g", v.dblVal); break;
    case VT_BOOL: text = v.boolVal ? L"TRUE" : L"FALSE"; break;
    case VT_BSTR: text = v.bstrVal; break;
    case VT_DATE: {
      COleDateTime dt(v.date);
      text = dt.Format(v.date == static_cast<double>(static_cast<long long>(v.date)) ? L"%Y-%m-%d" : L"%Y-%m-%d %H:%M:%S");
      break;
    }
    default: break;
  }
  return zelutil::Narrow(text);
}

std::string Quoted(const std::string& s, bool csv) {
  if (!csv) {
    std::string flat = s;
    for (char& c : flat)
      if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return flat;
  }
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

void PrintLine(const std::vector<std::string>& cells, bool csv) {
  for (size_t i = 0; i < cells.size(); ++i) std::cout << (i ? (csv ? "," : "\t") : "") << Quoted(cells[i], csv);
  std::cout << "\n";
}

void Sheets(ZELAdo& ado) {
  if (!ado.OpenSchema_Table()) Fail(ado, "cannot list the sheets");
  for (; !ado.IsEOF(); ado.MoveNext()) {
    CString name;
    ado.GetFieldValueByName(L"TABLE_NAME", name);
    std::string s = zelutil::Narrow(name);
    std::cout << s.substr(0, s.size() - 1) << "\n";
  }
}

void Dump(ZELAdo& ado, const Options& o) {
  std::wstring source = L"SELECT * FROM [" + zelutil::Wide(o.sheet) + L"$]";
  if (!ado.OpenRecordset(source.c_str(), adOpenForwardOnly, adLockReadOnly)) Fail(ado, "cannot read sheet '" + o.sheet + "'");
  long n = ado.GetFieldCount();
  std::vector<std::string> cells(static_cast<size_t>(n));
  for (long i = 0; i < n; ++i) cells[i] = zelutil::Narrow(ado.GetRecordset()->GetFields()->GetItem(_variant_t(i))->GetName());
  PrintLine(cells, o.csv);
  for (; !ado.IsEOF(); ado.MoveNext()) {
    for (long i = 0; i < n; ++i) {
      _variant_t v;
      ado.GetFieldValueByIndex(i, v);
      cells[i] = Cell(v);
    }
    PrintLine(cells, o.csv);
  }
}

void Write(const Options& o) {
  ZELExcel excel;
  if (!excel.Open(zelutil::Wide(o.file).c_str())) Fail(excel, "cannot open workbook '" + o.file + "'");
  if (!excel.OpenSheet(zelutil::Wide(o.sheet).c_str())) Fail(excel, "cannot open sheet '" + o.sheet + "'");
  if (o.action == "set") {
    if (o.row < 0 || o.col < 0) throw zelutil::Failure(2, "ROW and COL count from 0");
    if (!excel.SetText(o.row, o.col, zelutil::Wide(o.text).c_str())) Fail(excel, "cannot set the cell");
    std::cout << "set row " << o.row << " column " << o.col << "\n";
    return;
  }
  excel.MoveLast();
  if (!excel.MoveNext(1)) Fail(excel, "cannot append a row");
  for (size_t i = 0; i < o.values.size(); ++i)
    if (!excel.SetText(static_cast<int>(i), zelutil::Wide(o.values[i]).c_str()))
      Fail(excel, "cannot write value " + std::to_string(i + 1) + " (has the sheet that many columns?)");
  std::cout << "appended 1 row\n";
}

void Run(const Options& o) {
  CoInitialize(NULL);
  // A connection to a missing file would make one at its first CREATE TABLE.
  if (!ZELGF::IsFile(zelutil::Wide(o.file).c_str())) throw zelutil::Failure(1, "no workbook file '" + o.file + "'");
  if (o.action == "set" || o.action == "append") return Write(o);
  ZELAdo ado;
  if (!ado.Connect(ConnectionText(o.file).c_str())) Fail(ado, "cannot open workbook '" + o.file + "'");
  if (o.action == "sheets") return Sheets(ado);
  Dump(ado, o);
}

zelutil::Registrar reg("xls", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("xls", "read and write the sheets of a 97-2003 workbook (.xls)");
  cmd->require_subcommand(1);
  auto o = std::make_shared<Options>();
  auto* sheets = cmd->add_subcommand("sheets", "list the sheets");
  sheets->add_option("FILE", o->file)->required();
  auto* dump = cmd->add_subcommand("dump", "print a sheet; its first row names the columns");
  dump->add_option("FILE", o->file)->required();
  dump->add_option("SHEET", o->sheet)->required();
  dump->add_flag("--csv", o->csv, "print CSV instead of tab-separated text");
  auto* set = cmd->add_subcommand("set", "write a text cell by 0-based data row and column (rows are added as needed)");
  set->add_option("FILE", o->file)->required();
  set->add_option("SHEET", o->sheet)->required();
  set->add_option("ROW", o->row)->required();
  set->add_option("COL", o->col)->required();
  set->add_option("TEXT", o->text)->required();
  auto* append = cmd->add_subcommand("append", "add a row of text cells after the last one");
  append->add_option("FILE", o->file)->required();
  append->add_option("SHEET", o->sheet)->required();
  append->add_option("VALUE", o->values)->required();
  for (auto* sub : {sheets, dump, set, append})
    sub->callback([o, sub] {
      o->action = sub->get_name();
      Run(*o);
    });
});

}  // namespace
