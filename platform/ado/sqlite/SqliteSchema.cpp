#include "platform/ado/sqlite/SqliteSchema.h"

#include "platform/ado/MemoryRows.h"

#include <strings.h>

namespace zelado {
namespace sqlite {

namespace {

// A row passes when each given restriction equals its column.
bool Passes(const Row& row, const std::vector<Value>& restrictions) {
  for (size_t i = 0; i < restrictions.size() && i < row.size(); ++i) {
    const Value& r = restrictions[i];
    if (r.kind == Value::Null) continue;
    if (row[i].kind != Value::Text || strcasecmp(row[i].bytes.c_str(), r.bytes.c_str()) != 0) return false;
  }
  return true;
}

std::unique_ptr<RowStream> Tables(sqlite3* db, const std::vector<Value>& restrictions) {
  std::unique_ptr<MemoryRows> out(new MemoryRows({
      MemoryRows::TextColumn(L"TABLE_CATALOG"), MemoryRows::TextColumn(L"TABLE_SCHEMA"),
      MemoryRows::TextColumn(L"TABLE_NAME"), MemoryRows::TextColumn(L"TABLE_TYPE"),
      MemoryRows::TextColumn(L"TABLE_GUID"), MemoryRows::TextColumn(L"DESCRIPTION"),
      MemoryRows::IntColumn(L"TABLE_PROPID"), MemoryRows::TextColumn(L"DATE_CREATED"),
      MemoryRows::TextColumn(L"DATE_MODIFIED")}));
  sqlite3_stmt* raw = nullptr;
  const char* sql =
      "SELECT name, CASE WHEN name LIKE 'sqlite\\_%' ESCAPE '\\' THEN 'SYSTEM TABLE' "
      "WHEN type = 'view' THEN 'VIEW' ELSE 'TABLE' END FROM sqlite_master "
      "WHERE type IN ('table', 'view') UNION ALL SELECT 'sqlite_master', 'SYSTEM TABLE' ORDER BY 2, 1";
  int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
  if (rc != SQLITE_OK) RaiseFrom(db, rc);
  StmtPtr stmt(raw);
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    Row row(9);
    row[2] = Read(raw, 0);
    row[3] = Read(raw, 1);
    if (Passes(row, restrictions)) out->Add(std::move(row));
  }
  if (rc != SQLITE_DONE) RaiseFrom(db, rc);
  return out;
}

std::unique_ptr<RowStream> CharacterSets(sqlite3* db, const std::vector<Value>& restrictions) {
  std::unique_ptr<MemoryRows> out(new MemoryRows({
      MemoryRows::TextColumn(L"CHARACTER_SET_CATALOG"), MemoryRows::TextColumn(L"CHARACTER_SET_SCHEMA"),
      MemoryRows::TextColumn(L"CHARACTER_SET_NAME"), MemoryRows::TextColumn(L"FORM_OF_USE"),
      MemoryRows::IntColumn(L"NUMBER_OF_CHARACTERS"), MemoryRows::TextColumn(L"DEFAULT_COLLATE_CATALOG"),
      MemoryRows::TextColumn(L"DEFAULT_COLLATE_SCHEMA"), MemoryRows::TextColumn(L"DEFAULT_COLLATE_NAME")}));
  (void)db;
  // The engine stores text in one of three encodings and reads any of
  // them in the others, so all three are character sets of a connection.
  for (const char* name : {"UTF-8", "UTF-16le", "UTF-16be"}) {
    Row row(8);
    row[2] = Value::Str(name);
    row[3] = Value::Str(name);
    row[4] = Value::Int(0x110000);
    row[7] = Value::Str("BINARY");
    if (Passes(row, restrictions)) out->Add(std::move(row));
  }
  return out;
}

}  // namespace

std::unique_ptr<RowStream> SchemaRows(sqlite3* db, SchemaEnum schema, const std::vector<Value>& restrictions) {
  switch (schema) {
    case adSchemaTables: return Tables(db, restrictions);
    case adSchemaCharacterSets: return CharacterSets(db, restrictions);
    default:
      Raise(ErrorKind::NotAvailable, L"this schema rowset is not available with the embedded engine (" +
                                         std::to_wstring(static_cast<int>(schema)) + L")");
  }
}

}  // namespace sqlite
}  // namespace zelado
