// ? markers become numbered placeholders only where they are code.
#include "platform/ado/postgres/PgMarkers.h"

#include <gtest/gtest.h>

#include "platform/ado/StatementMarkers.h"

using zelado::pg::NumberMarkers;
using zelado::pg::SelectListStart;

TEST(PgMarkers, OnlyMarkersInCodeAreNumbered) {
  struct Case {
    const char* text;
    const char* sql;
    size_t markers;
  } cases[] = {
      {"SELECT ?, ?", "SELECT $1, $2", 2},
      {"SELECT '?', 'it''s ?', ?", "SELECT '?', 'it''s ?', $1", 1},
      {"SELECT E'\\' ?', ?", "SELECT E'\\' ?', $1", 1},
      {"SELECT \"a?\"\"b\" FROM t WHERE x = ?", "SELECT \"a?\"\"b\" FROM t WHERE x = $1", 1},
      {"SELECT ? -- ? here\n, ?", "SELECT $1 -- ? here\n, $2", 2},
      {"SELECT /* ? /* nested ? */ still ? */ ?", "SELECT /* ? /* nested ? */ still ? */ $1", 1},
      {"SELECT $$ ? $$, $q$ it's ? $q$, ?", "SELECT $$ ? $$, $q$ it's ? $q$, $1", 1},
      {"SELECT $1, ?", "SELECT $1, $1", 1},  // a numbered placeholder is not a quote
      {"SELECT 'unclosed ?", "SELECT 'unclosed ?", 0},
      {"SELECT /* unclosed ?", "SELECT /* unclosed ?", 0},
      {"SELECT a[?] FROM t", "SELECT a[$1] FROM t", 1},  // a subscript, not a quoted name
      {"", "", 0},
  };
  for (const Case& c : cases) {
    zelado::pg::Marked m = NumberMarkers(c.text);
    EXPECT_EQ(c.sql, m.sql) << c.text;
    EXPECT_EQ(c.markers, m.markers) << c.text;
  }
}

// The check before a statement runs counts in the engine's own dialect,
// so it agrees with the numbering the server sees.
TEST(PgMarkers, DialectsDifferWhereTheEnginesDo) {
  using zelado::CountMarkers;
  using zelado::SqlDialect;
  EXPECT_EQ(0u, CountMarkers(L"SELECT [a?] FROM t", SqlDialect::Generic));
  EXPECT_EQ(1u, CountMarkers(L"SELECT a[?] FROM t", SqlDialect::Postgres));
  EXPECT_EQ(0u, CountMarkers(L"SELECT `?`", SqlDialect::Generic));
  EXPECT_EQ(1u, CountMarkers(L"/* a /* b */ ? */ ?", SqlDialect::Postgres));
  EXPECT_EQ(2u, CountMarkers(L"/* a /* b */ ? */ ?", SqlDialect::Generic));
}

TEST(PgMarkers, SelectListStartsOnlyInPlainSelects) {
  EXPECT_EQ(6u, SelectListStart("SELECT a FROM t"));
  EXPECT_EQ(18u, SelectListStart(" -- c\n  select ALL a FROM t"));
  EXPECT_EQ(std::string::npos, SelectListStart("SELECT DISTINCT a FROM t"));
  EXPECT_EQ(std::string::npos, SelectListStart("WITH x AS (SELECT 1) SELECT * FROM x"));
  EXPECT_EQ(std::string::npos, SelectListStart("SELECTa FROM t"));
  EXPECT_EQ(std::string::npos, SelectListStart(""));
}
