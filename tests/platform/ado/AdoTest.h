// Shared set-up for the data-access object tests: an apartment, a
// temporary folder and a connection to a real database file in it.
#pragma once

#include "platform/ado/Ado.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace adotest {

// The code a call raised, S_OK when it raised nothing. The description
// must never be empty: a caller's log shows it.
HRESULT CodeOf(const std::function<void()>& call);
// The description of the error a call raised (empty when it raised nothing).
std::wstring DescriptionOf(const std::function<void()>& call);

std::wstring SqliteText(const std::string& path);
_ConnectionPtr Connect(const std::wstring& text);
void Exec(const _ConnectionPtr& c, const wchar_t* sql);
_RecordsetPtr Open(const _ConnectionPtr& c, const wchar_t* sql, CursorTypeEnum cursor,
                   LockTypeEnum lock = adLockReadOnly);
long Long(const _variant_t& v);
// Every value of every row, in cursor order.
std::vector<std::wstring> Walk(const _RecordsetPtr& rs);
// A keyset of the statement reads the same rows, in the same order, as a
// static cursor does.
void ExpectKeysetLikeStatic(const _ConnectionPtr& c, const wchar_t* sql);
// Walks a keyset of (id, name) rows after another connection deleted two of
// them, renamed the one with id `changed` to "changed" and added rows with
// odd ids: counts the rows and those read as deleted, and checks the rest.
void WalkChangedKeyset(const _RecordsetPtr& rs, long changed, long& rows, long& holes);
std::wstring Str(const _variant_t& v);

class AdoTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  std::string m_file;
  _ConnectionPtr m_conn;
  zeltest::TempDir m_dir;
};

}  // namespace adotest
