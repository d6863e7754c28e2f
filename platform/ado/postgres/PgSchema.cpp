// Schema rowsets of the server engine, read from its catalogs with the
// column names the embedded engine gives them. The catalog is the
// database, the schema a namespace; names compare without regard to case.
#include "platform/ado/postgres/PgSession.h"

namespace zelado {
namespace pg {

namespace {

const char kTables[] =
    "SELECT current_database()::text AS \"TABLE_CATALOG\", n.nspname::text AS \"TABLE_SCHEMA\", "
    "c.relname::text AS \"TABLE_NAME\", t.type AS \"TABLE_TYPE\", NULL::text AS \"TABLE_GUID\", "
    "obj_description(c.oid, 'pg_class') AS \"DESCRIPTION\", NULL::bigint AS \"TABLE_PROPID\", "
    "NULL::timestamp AS \"DATE_CREATED\", NULL::timestamp AS \"DATE_MODIFIED\" "
    "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace, LATERAL (SELECT CASE "
    "WHEN n.nspname IN ('pg_catalog', 'information_schema') THEN 'SYSTEM TABLE' "
    "WHEN c.relkind IN ('v', 'm') THEN 'VIEW' ELSE 'TABLE' END AS type) t "
    "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND n.nspname NOT LIKE 'pg\\_toast%' "
    "AND n.nspname NOT LIKE 'pg\\_temp%' "
    "AND ($1::text IS NULL OR lower(current_database()) = lower($1)) "
    "AND ($2::text IS NULL OR lower(n.nspname) = lower($2)) "
    "AND ($3::text IS NULL OR lower(c.relname) = lower($3)) "
    "AND ($4::text IS NULL OR t.type = upper($4)) ORDER BY 4, 2, 3";

const char kCharacterSets[] =
    "SELECT current_database()::text AS \"CHARACTER_SET_CATALOG\", "
    "character_set_schema::text AS \"CHARACTER_SET_SCHEMA\", "
    "character_set_name::text AS \"CHARACTER_SET_NAME\", form_of_use::text AS \"FORM_OF_USE\", "
    "NULL::bigint AS \"NUMBER_OF_CHARACTERS\", default_collate_catalog::text AS \"DEFAULT_COLLATE_CATALOG\", "
    "default_collate_schema::text AS \"DEFAULT_COLLATE_SCHEMA\", "
    "default_collate_name::text AS \"DEFAULT_COLLATE_NAME\" FROM information_schema.character_sets "
    "WHERE ($1::text IS NULL OR lower(current_database()) = lower($1)) "
    "AND ($2::text IS NULL OR lower(character_set_schema) = lower($2)) "
    "AND ($3::text IS NULL OR lower(character_set_name) = lower($3))";

}  // namespace

std::unique_ptr<RowStream> PgSession::Schema(SchemaEnum schema, const std::vector<Value>& restrictions) {
  const char* sql = schema == adSchemaTables ? kTables : schema == adSchemaCharacterSets ? kCharacterSets : nullptr;
  if (!sql) Raise(ErrorKind::NotAvailable, L"this schema rowset is not available with the server engine");
  size_t wanted = schema == adSchemaTables ? 4 : 3;
  std::vector<Value> values(wanted);
  for (size_t i = 0; i < wanted && i < restrictions.size(); ++i)
    if (restrictions[i].kind != Value::Null) values[i] = Value::Str(restrictions[i].bytes);
  return SendOnce(sql, values);
}

}  // namespace pg
}  // namespace zelado
