// Schema rowsets of the embedded engine.
#pragma once

#include "platform/ado/sqlite/SqliteDb.h"

namespace zelado {
namespace sqlite {

// adSchemaTables: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE
// ("TABLE", "VIEW", "SYSTEM TABLE"), TABLE_GUID, DESCRIPTION, TABLE_PROPID,
// DATE_CREATED, DATE_MODIFIED; restrictions catalog, schema, name, type.
// adSchemaCharacterSets: CHARACTER_SET_CATALOG, CHARACTER_SET_SCHEMA,
// CHARACTER_SET_NAME, FORM_OF_USE, NUMBER_OF_CHARACTERS,
// DEFAULT_COLLATE_CATALOG, DEFAULT_COLLATE_SCHEMA, DEFAULT_COLLATE_NAME;
// restrictions catalog, schema, name. Names compare without regard to case.
// Tables of the main database have no catalog and no schema (null).
std::unique_ptr<RowStream> SchemaRows(sqlite3* db, SchemaEnum schema, const std::vector<Value>& restrictions);

}  // namespace sqlite
}  // namespace zelado
