// What the database benchmarks share: each side runs in its own child
// process, so that its peak memory is its own, and answers one figure.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "ZELAdo.h"
#include "support/Child.h"

namespace adobench {

struct Result {
  double value = 0;   // the side's throughput
  double peakMB = 0;  // its peak resident memory
  double check = 0;   // a checksum both sides must agree on
};

inline double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Runs side in its own child; side fills value and check, the peak memory
// is the child's.
inline Result InChild(const std::function<void(Result&)>& side) {
  return zelbench::RunInChild<Result>([&](Result& r) {
    side(r);
    r.peakMB = zelbench::PeakKB() / 1024.0;
  });
}

inline void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite3: %s\n", error ? error : "?");
    std::exit(1);
  }
}

// Connects ado or ends the program with the reason.
inline void MustConnect(ZELAdo& ado, const std::string& path) {
  CString text = CString(L"Provider=SQLite;Data Source=") + CString(path.c_str());
  if (!ado.Connect(text)) {
    std::fprintf(stderr, "connect failed: %s\n", CString(ado.GetLog(ado.GetLogCount() - 1).strDetail).ToUtf8().c_str());
    std::exit(1);
  }
}

// The closing lines every benchmark ends with.
inline void Report(const char* name, const char* unit, const Result& ours, const Result& peer,
                   const char* peerName = "sqlite3 C API") {
  auto digits = [](double v) { return v >= 100 ? 0 : 2; };
  std::printf("%s: ours %.*f %s, peer %.*f %s (%s), ratio %.3f\n", name, digits(ours.value), ours.value, unit,
              digits(peer.value), peer.value, unit, peerName, peer.value > 0 ? ours.value / peer.value : 0.0);
  std::printf("%s memory: ours %.1f MB, peer %.1f MB\n", name, ours.peakMB, peer.peakMB);
  std::fflush(stdout);
}

inline std::string ScratchDir() {
  char tmpl[] = "/tmp/zelbench-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  return tmpl;
}

}  // namespace adobench
