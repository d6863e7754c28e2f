// Opens a 65,536 x 10 sheet and reads every cell through ZELExcel::GetText
// (row cursor: MoveFirst, GetText by column, MoveNext), beside xlrd opening
// the same file and reading every cell value as text.
#include <filesystem>

#include "ExcelBench.h"
#include "ZELExcel.h"

namespace {

void Ours(const std::string& path, excelbench::Result& r) {
  CoInitialize(NULL);
  double start = excelbench::Seconds();
  ZELExcel excel;
  if (!excel.Open(CString(path.c_str())) || !excel.OpenSheet(L"Data")) std::exit(1);
  double chars = 0;
  excel.MoveFirst();
  do {
    for (int c = 0; c < excelbench::kCols; ++c) chars += excel.GetText(c).GetLength();
  } while (excel.MoveNext(0));
  r.value = (excelbench::kRows - 1) * excelbench::kCols / (excelbench::Seconds() - start);
  r.check = chars;
  r.peakMB = zelbench::PeakKB() / 1024.0;
}

excelbench::Result Peer(const std::string& path) {
  // The same texts: numbers as "%f", as GetText gives them.
  std::string out = excelbench::Shell(
      "/usr/bin/python3 -c \"\n"
      "import resource, time, xlrd\n"
      "start = time.monotonic()\n"
      "s = xlrd.open_workbook('" + path + "').sheet_by_name('Data')\n"
      "chars = 0\n"
      "for r in range(1, s.nrows):\n"
      "    for v in s.row_values(r):\n"
      "        chars += len('%f' % v if isinstance(v, float) else v)\n"
      "print(time.monotonic() - start, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss, chars)\n\"");
  return excelbench::PeerFigures(out, (excelbench::kRows - 1) * excelbench::kCols);
}

}  // namespace

int main() {
  std::string dir = excelbench::ScratchDir(), path = dir + "/big.xls";
  excelbench::MakeWorkbook(path);
  excelbench::Result ours = zelbench::RunInChild<excelbench::Result>([&](excelbench::Result& r) { Ours(path, r); });
  excelbench::Result peer = Peer(path);
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: %.0f characters read, the peer read %.0f\n", ours.check, peer.check);
  excelbench::Report("excel_read", "cells/s", "xlrd", ours, peer);
  return 0;
}
