// What the database benchmarks share: each side runs in its own child
// process, so that its peak memory is its own, and answers one figure.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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

// The ZELAdo side of the insert benchmark, the same on every engine: rows
// of 5 columns through one command in one transaction into table t.
inline void InsertSide(ZELAdo& ado, long rows, Result& r) {
  double start = Seconds();
  ado.BeginTrans();
  ado.CreateCommand();
  wchar_t name[32], note[48];
  for (long i = 0; i < rows; i++) {
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
  r.value = rows / (Seconds() - start);
  long n = 0;
  if (ado.OpenRecordset(L"SELECT count(*) FROM t", adOpenForwardOnly, adLockReadOnly)) ado.GetFieldValueByIndex(0, n);
  r.check = n;
}

// The ZELAdo side of the read benchmark: every row of the 5-column table t
// with GetFieldValueByIndex.
inline void ReadSide(ZELAdo& ado, CursorTypeEnum cursor, Result& r) {
  double start = Seconds();
  if (!ado.OpenRecordset(L"SELECT id, name, price, qty, note FROM t", cursor, adLockReadOnly)) std::exit(1);
  long rows = 0;
  double check = 0;
  _variant_t v;
  for (; !ado.IsEOF(); ado.MoveNext(), rows++) {
    for (long i = 0; i < 5; i++) {
      ado.GetFieldValueByIndex(i, v);
      if (v.vt == VT_BSTR) check += SysStringLen(v.bstrVal);
      else if (v.vt == VT_R8) check += v.dblVal;
      else if (v.vt == VT_I4) check += v.lVal;
    }
  }
  r.value = rows / (Seconds() - start);
  r.check = check;
}

// A file of `bytes` bytes of a fixed pattern.
inline void MakeSource(const std::string& path, size_t bytes) {
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); i++) block[i] = static_cast<char>(i * 31 + (i >> 11));
  std::ofstream out(path, std::ios::binary);
  for (size_t done = 0; done < bytes; done += block.size()) out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

// The ZELAdo side of the blob benchmark: dir/source.bin into the data field
// of a new table b (made by `create`) and back out to dir/ours.out, in MB/s
// of both ways.
inline void BlobSide(ZELAdo& ado, const wchar_t* create, const std::string& dir, double mb, Result& r) {
  ado.ExecuteSQL(create);
  ado.ExecuteSQL(L"INSERT INTO b (id) VALUES (1)");
  double start = Seconds();
  std::wstring in = CString((dir + "/source.bin").c_str()).str(), out = CString((dir + "/ours.out").c_str()).str();
  if (!ado.OpenRecordset(L"SELECT id, data FROM b", adOpenKeyset, adLockOptimistic)) std::exit(1);
  if (!ado.FileToBlob(L"data", in.c_str()) || !ado.Update()) std::exit(1);
  if (!ado.OpenRecordset(L"SELECT id, data FROM b", adOpenKeyset, adLockOptimistic)) std::exit(1);
  if (!ado.BlobToFile(L"data", out.c_str())) std::exit(1);
  r.value = 2 * mb / (Seconds() - start);
  r.check = static_cast<double>(std::filesystem::file_size(dir + "/ours.out"));
}

inline std::string ScratchDir() {
  char tmpl[] = "/tmp/zelbench-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  return tmpl;
}

}  // namespace adobench
