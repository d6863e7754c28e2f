// Changes one cell of the 65,536 x 10 workbook and saves it (open, set,
// the file replaced atomically), beside the least any atomic save must do:
// Python copying the file's bytes to a temporary, syncing it and renaming
// it over the file. The figure is the file's megabytes per second.
#include <filesystem>

#include "ExcelBench.h"
#include "ZELExcel.h"

namespace {

void Ours(const std::string& path, double mb, excelbench::Result& r) {
  CoInitialize(NULL);
  double start = excelbench::Seconds();
  ZELExcel excel;
  if (!excel.Open(CString(path.c_str())) || !excel.OpenSheet(L"Data")) std::exit(1);
  if (!excel.SetText(1, 1, L"changed")) std::exit(1);
  excel.Close();
  r.value = mb / (excelbench::Seconds() - start);
  r.check = static_cast<double>(std::filesystem::file_size(path) > 0);
  r.peakMB = zelbench::PeakKB() / 1024.0;
}

excelbench::Result Peer(const std::string& path, double mb) {
  std::string out = excelbench::Shell(
      "/usr/bin/python3 -c \"\n"
      "import os, resource, time\n"
      "start = time.monotonic()\n"
      "data = open('" + path + "', 'rb').read()\n"
      "with open('" + path + ".tmp', 'wb') as f:\n"
      "    f.write(data)\n"
      "    f.flush()\n"
      "    os.fsync(f.fileno())\n"
      "os.rename('" + path + ".tmp', '" + path + "')\n"
      "print(time.monotonic() - start, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss, 1)\n\"");
  return excelbench::PeerFigures(out, mb);
}

}  // namespace

int main() {
  std::string dir = excelbench::ScratchDir(), path = dir + "/big.xls";
  excelbench::MakeWorkbook(path);
  double mb = std::filesystem::file_size(path) / 1048576.0;
  excelbench::Result ours = zelbench::RunInChild<excelbench::Result>([&](excelbench::Result& r) { Ours(path, mb, r); });
  excelbench::Result peer = Peer(path, mb);
  std::filesystem::remove_all(dir);
  std::printf("file: %.1f MB\n", mb);
  excelbench::Report("excel_save", "MB/s", "python file copy with fsync", ours, peer);
  return 0;
}
