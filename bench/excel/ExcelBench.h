// What the workbook benchmarks share: a 65,536-row by 10-column sheet made
// by xlwt (numbers and texts in turn), and the closing lines.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/Child.h"

namespace excelbench {

const int kRows = 65536, kCols = 10;

struct Result {
  double value = 0;   // the side's throughput
  double peakMB = 0;  // its peak resident memory
  double check = 0;   // what both sides must agree on
};

inline double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

inline std::string ScratchDir() {
  char tmpl[] = "/tmp/zelbench-xls-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  return tmpl;
}

// Runs a shell command; its output is its answer. A failure ends the run.
inline std::string Shell(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  if (!p || pclose(p) != 0) {
    std::fprintf(stderr, "failed: %s\n%s\n", command.c_str(), out.c_str());
    std::exit(1);
  }
  return out;
}

// Sheet "Data": a header row, then rows of a number and a text in turn.
inline void MakeWorkbook(const std::string& path) {
  Shell("/usr/bin/python3 -c \"\n"
        "import xlwt\n"
        "b = xlwt.Workbook()\n"
        "s = b.add_sheet('Data')\n"
        "for c in range(10): s.write(0, c, 'col%d' % c)\n"
        "for r in range(1, 65536):\n"
        "    row = s.row(r)\n"
        "    for c in range(10): row.write(c, r * 0.5 + c if c % 2 == 0 else 'text %d' % (r % 1000))\n"
        "b.save('" + path + "')\n\"");
}

inline void Report(const char* name, const char* unit, const char* peerName, const Result& ours, const Result& peer) {
  auto digits = [](double v) { return v >= 100 ? 0 : 2; };
  std::printf("%s: ours %.*f %s, peer %.*f %s (%s), ratio %.3f\n", name, digits(ours.value), ours.value, unit,
              digits(peer.value), peer.value, unit, peerName, peer.value > 0 ? ours.value / peer.value : 0.0);
  std::printf("%s memory: ours %.1f MB, peer %.1f MB\n", name, ours.peakMB, peer.peakMB);
  std::fflush(stdout);
}

// Interleaved rounds: the range of their ratios, then the closing lines
// of the round with the median ratio.
inline void ReportRounds(const char* name, const char* unit, const char* peerName, const std::vector<Result>& ours,
                         const std::vector<Result>& peer) {
  if (std::getenv("ZEL_BENCH_VERBOSE"))
    for (size_t i = 0; i < ours.size(); ++i)
      std::printf("%s round %zu: ours %.0f, peer %.0f %s\n", name, i + 1, ours[i].value, peer[i].value, unit);
  std::vector<size_t> order(ours.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto ratio = [&](size_t i) { return peer[i].value > 0 ? ours[i].value / peer[i].value : 0.0; };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ratio(a) < ratio(b); });
  std::printf("%s: ratio over %zu interleaved rounds %.2f .. %.2f\n", name, order.size(), ratio(order.front()),
              ratio(order.back()));
  Result o = ours[order[order.size() / 2]], p = peer[order[order.size() / 2]];
  for (size_t i = 0; i < ours.size(); ++i) {
    o.peakMB = std::max(o.peakMB, ours[i].peakMB);
    p.peakMB = std::max(p.peakMB, peer[i].peakMB);
  }
  Report(name, unit, peerName, o, p);
}

// The peer's figures, printed by a Python side as "<seconds> <peak KB> <check>".
inline Result PeerFigures(const std::string& out, double work) {
  Result r;
  double seconds = 0, peakKB = 0;
  if (std::sscanf(out.c_str(), "%lf %lf %lf", &seconds, &peakKB, &r.check) != 3 || seconds <= 0) {
    std::fprintf(stderr, "the peer said: %s\n", out.c_str());
    std::exit(1);
  }
  r.value = work / seconds;
  r.peakMB = peakKB / 1024;
  return r;
}

}  // namespace excelbench
