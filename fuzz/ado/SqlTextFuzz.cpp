// Statement texts through the ? marker scanner, checked against the
// engine's own count where the engine reads the text as one statement with
// plain ? markers only; and the same bytes as a connection text.
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ado/ConnectionText.h"
#include "platform/ado/StatementMarkers.h"
#include "platform/base/Utf8.h"
#include "platform/oleaut/ComError.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "sql text fuzz: %s\n", what);
  std::abort();
}

sqlite3* Engine() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    sqlite3_open(":memory:", &d);
    sqlite3_exec(d, "CREATE TABLE t (a, b)", nullptr, nullptr, nullptr);
    return d;
  }();
  return db;
}

// Other parameter forms (?NNN, :a, @a, $a) make the engine's count differ
// by design.
bool PlainMarkersOnly(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == ':' || c == '@' || c == '$' || c == '#') return false;
    if (c == '?' && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '9') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::wstring text = ZelUtf8ToWide(bytes.data(), bytes.size());

  size_t count = 0, last = 0;
  bool first = true;
  zelado::ForEachMarker(text, zelado::SqlDialect::Generic, [&](size_t at) {
    Check(at < text.size() && text[at] == L'?', "a marker that is not a ?");
    Check(first || at > last, "markers out of order");
    first = false;
    last = at;
    ++count;
  });
  Check(count == zelado::CountMarkers(text, zelado::SqlDialect::Generic), "count and walk disagree");

  std::string utf8 = ZelWideToUtf8(text.data(), text.size());
  if (utf8.find('\0') == std::string::npos && PlainMarkersOnly(utf8)) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(Engine(), utf8.c_str(), -1, &stmt, &tail) == SQLITE_OK && stmt) {
      bool whole = true;
      for (const char* p = tail; p && *p; ++p) whole = whole && (*p == ' ' || *p == '\n' || *p == '\t' || *p == ';');
      if (whole) Check(static_cast<size_t>(sqlite3_bind_parameter_count(stmt)) == count, "engine counts otherwise");
    }
    sqlite3_finalize(stmt);
  }

  try {
    zelado::ConnectionText parsed(text);
    parsed.Get(L"Data Source");
    parsed.Has(L"Provider");
  } catch (const _com_error&) {
  }
  return 0;
}
