// Commands with parameters bound by position, and schema rowsets with
// their restrictions.
#include "AdoTest.h"

using namespace adotest;

namespace {

_variant_t Restrictions(std::initializer_list<const wchar_t*> items) {
  SAFEARRAY* sa = SafeArrayCreateVector(VT_VARIANT, 0, (ULONG)items.size());
  LONG i = 0;
  for (const wchar_t* s : items) {
    _variant_t v;
    if (s) v = _variant_t(s);
    SafeArrayPutElement(sa, &i, &v);
    ++i;
  }
  _variant_t out;
  out.vt = VT_ARRAY | VT_VARIANT;
  out.parray = sa;
  return out;
}

// A command on the connection with its text.
_CommandPtr CommandOn(const _ConnectionPtr& c, const wchar_t* text) {
  _CommandPtr cmd;
  cmd.CreateInstance(CLSID_Command);
  cmd->PutRefActiveConnection(c);
  cmd->PutCommandText(_bstr_t(text));
  return cmd;
}

std::vector<std::wstring> Column(const _RecordsetPtr& rs, const wchar_t* name) {
  std::vector<std::wstring> out;
  for (; !rs->GetadoEOF(); rs->MoveNext()) out.push_back(Str(rs->GetCollect(_variant_t(name))));
  return out;
}

}  // namespace

TEST_F(AdoTest, ParametersBindByPosition) {
  Exec(m_conn, L"CREATE TABLE p(id INTEGER PRIMARY KEY, name TEXT, d DATE, b BLOB)");
  _CommandPtr cmd;
  ASSERT_EQ(S_OK, cmd.CreateInstance(CLSID_Command));
  cmd->PutRefActiveConnection(m_conn);
  cmd->PutCommandText(_bstr_t(L"INSERT INTO p(name, d) VALUES(?, ?)"));
  ParametersPtr params = cmd->GetParameters();
  params->Append(cmd->CreateParameter(_bstr_t(L"name"), adVarWChar, adParamInput, 50, _variant_t(L"first")));
  params->Append(cmd->CreateParameter(_bstr_t(L"when"), adDate, adParamInput, 0, _variant_t(36526.0, VT_DATE)));
  EXPECT_EQ(2, params->GetCount());
  EXPECT_EQ(L"when", std::wstring(params->GetItem(_variant_t(1L))->GetName()));
  EXPECT_EQ(adDate, params->GetItem(_variant_t(L"WHEN"))->GetType());
  _variant_t affected;
  EXPECT_FALSE(cmd->Execute(&affected, nullptr, adCmdText | adExecuteNoRecords));
  EXPECT_EQ(1, Long(affected));
  params->GetItem(_variant_t(0L))->PutValue(_variant_t(L"second"));
  cmd->Execute(nullptr, nullptr, adCmdText);  // the parameters stay for a second run
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { params->GetItem(_variant_t(2L)); }));
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { params->Delete(_variant_t(L"none")); }));
  params->Delete(_variant_t(0L));
  EXPECT_EQ(1, params->GetCount());
  EXPECT_EQ(adErrInvalidArgument, CodeOf([&] { cmd->Execute(nullptr, nullptr, adCmdText); }))
      << "two markers, one value";

  cmd->PutCommandText(_bstr_t(L"SELECT name, d FROM p WHERE d = ? ORDER BY id"));
  _RecordsetPtr rs = cmd->Execute(nullptr, nullptr, adCmdText);
  EXPECT_EQ(adStateOpen, rs->GetState());
  EXPECT_EQ((std::vector<std::wstring>{L"first", L"second"}), Column(rs, L"name"));

  cmd->PutCommandText(_bstr_t(L"UPDATE p SET name = 'x'"));
  params->Delete(_variant_t(0L));
  cmd->Execute(&affected, nullptr, adCmdText | adExecuteNoRecords);
  EXPECT_EQ(2, Long(affected));
  EXPECT_EQ(adStateClosed, cmd->Execute(nullptr, nullptr, adCmdText)->GetState())
      << "a statement without rows gives a closed recordset";

  cmd->PutCommandText(_bstr_t(L"sp_anything"));
  EXPECT_EQ(adErrFeatureNotAvailable, CodeOf([&] { cmd->Execute(nullptr, nullptr, adCmdStoredProc); }));
  _CommandPtr lonely;
  lonely.CreateInstance(CLSID_Command);
  lonely->PutCommandText(_bstr_t(L"SELECT 1"));
  EXPECT_EQ(adErrInvalidConnection, CodeOf([&] { lonely->Execute(nullptr, nullptr, adCmdText); }));
  EXPECT_EQ(E_POINTER, CodeOf([&] { params->Append(nullptr); }));
}

TEST_F(AdoTest, ExecuteLeavesNoRecordsetWhenAskedAndCountsRows) {
  Exec(m_conn, L"CREATE TABLE t(x INTEGER); INSERT INTO t VALUES(1), (2), (3)");
  _variant_t affected;
  EXPECT_FALSE(m_conn->Execute(_bstr_t(L"UPDATE t SET x = x + 1 WHERE x > 1"), &affected, adCmdText | adExecuteNoRecords));
  EXPECT_EQ(2, Long(affected));
  _RecordsetPtr rs = m_conn->Execute(_bstr_t(L"SELECT sum(x) FROM t"), &affected, adCmdText);
  EXPECT_EQ(-1, Long(affected));
  EXPECT_EQ(8, Long(rs->GetCollect(_variant_t(0L))));
  rs = m_conn->Execute(_bstr_t(L"t"), nullptr, adCmdTable);
  EXPECT_EQ(1, Long(rs->GetCollect(_variant_t(L"x"))));
}

TEST_F(AdoTest, SchemaRowsetsApplyTheirRestrictions) {
  Exec(m_conn, L"CREATE TABLE alpha(x); CREATE TABLE \"Beta Table\"(y); CREATE VIEW gamma AS SELECT x FROM alpha");
  _RecordsetPtr rs = m_conn->OpenSchema(adSchemaTables);
  FieldsPtr f = rs->GetFields();
  for (const wchar_t* name : {L"TABLE_CATALOG", L"TABLE_SCHEMA", L"TABLE_NAME", L"TABLE_TYPE", L"DESCRIPTION"})
    EXPECT_EQ(S_OK, CodeOf([&] { f->GetItem(_variant_t(name)); })) << name;
  std::vector<std::wstring> all = Column(rs, L"TABLE_NAME");
  EXPECT_EQ(4u, all.size()) << "two tables, a view and the catalogue";

  rs = m_conn->OpenSchema(adSchemaTables, Restrictions({nullptr, nullptr, nullptr, L"TABLE"}));
  EXPECT_EQ((std::vector<std::wstring>{L"Beta Table", L"alpha"}), Column(rs, L"TABLE_NAME"));
  rs = m_conn->OpenSchema(adSchemaTables, Restrictions({nullptr, nullptr, nullptr, L"VIEW"}));
  EXPECT_EQ((std::vector<std::wstring>{L"gamma"}), Column(rs, L"TABLE_NAME"));
  rs = m_conn->OpenSchema(adSchemaTables, Restrictions({nullptr, nullptr, L"ALPHA", L"TABLE"}));
  EXPECT_EQ((std::vector<std::wstring>{L"alpha"}), Column(rs, L"TABLE_NAME"));
  rs = m_conn->OpenSchema(adSchemaTables, Restrictions({L"other", nullptr, nullptr, L"TABLE"}));
  EXPECT_TRUE(rs->GetadoEOF()) << "no table is in a catalogue of that name";
  rs = m_conn->OpenSchema(adSchemaTables, Restrictions({nullptr, nullptr, nullptr, L"SYSTEM TABLE"}));
  EXPECT_EQ((std::vector<std::wstring>{L"sqlite_master"}), Column(rs, L"TABLE_NAME"));

  rs = m_conn->OpenSchema(adSchemaCharacterSets, Restrictions({nullptr, nullptr, L"utf-8"}));
  EXPECT_EQ((std::vector<std::wstring>{L"UTF-8"}), Column(rs, L"CHARACTER_SET_NAME"));
  rs = m_conn->OpenSchema(adSchemaCharacterSets);
  EXPECT_EQ(3u, Column(rs, L"FORM_OF_USE").size());
  EXPECT_EQ(adErrFeatureNotAvailable, CodeOf([&] { m_conn->OpenSchema(adSchemaProcedures); }));
  EXPECT_EQ(adErrInvalidArgument, CodeOf([&] { m_conn->OpenSchema(adSchemaTables, _variant_t(L"alpha")); }));
}

TEST_F(AdoTest, RepeatedTextsRunIndependently) {
  Exec(m_conn, L"CREATE TABLE t(x INTEGER); INSERT INTO t VALUES(1), (2), (3)");
  // The same text twice at once: each recordset walks its own rows.
  _RecordsetPtr a = m_conn->Execute(_bstr_t(L"SELECT * FROM t ORDER BY x"), nullptr, adCmdText);
  a->MoveNext();
  _RecordsetPtr b = m_conn->Execute(_bstr_t(L"SELECT * FROM t ORDER BY x"), nullptr, adCmdText);
  EXPECT_EQ(2, Long(a->GetCollect(_variant_t(0L))));
  EXPECT_EQ(1, Long(b->GetCollect(_variant_t(0L))));
  a = b = nullptr;

  // Run again after the table changed shape: the new columns show.
  Exec(m_conn, L"DROP TABLE t; CREATE TABLE t(x INTEGER, y TEXT); INSERT INTO t VALUES(9, 'nine')");
  _RecordsetPtr c = m_conn->Execute(_bstr_t(L"SELECT * FROM t ORDER BY x"), nullptr, adCmdText);
  EXPECT_EQ(2, c->GetFields()->GetCount());
  EXPECT_EQ(L"nine", Str(c->GetCollect(_variant_t(L"y"))));

  // Values bound for one run do not linger into the next.
  _CommandPtr cmd;
  cmd.CreateInstance(CLSID_Command);
  cmd->PutRefActiveConnection(m_conn);
  cmd->PutCommandText(_bstr_t(L"SELECT count(*) FROM t WHERE x = ?"));
  cmd->GetParameters()->Append(cmd->CreateParameter(_bstr_t(L"x"), adInteger, adParamInput, 4, _variant_t(9L)));
  EXPECT_EQ(1, Long(cmd->Execute(nullptr, nullptr, adCmdText)->GetCollect(_variant_t(0L))));
  cmd->GetParameters()->GetItem(_variant_t(0L))->PutValue(_variant_t(8L));
  EXPECT_EQ(0, Long(cmd->Execute(nullptr, nullptr, adCmdText)->GetCollect(_variant_t(0L))));
  cmd->GetParameters()->GetItem(_variant_t(0L))->PutValue(_variant_t());  // null matches nothing
  EXPECT_EQ(0, Long(cmd->Execute(nullptr, nullptr, adCmdText)->GetCollect(_variant_t(0L))));
}

TEST_F(AdoTest, ParametersClearedPerRunStartAfresh) {
  Exec(m_conn, L"CREATE TABLE t(a INTEGER, b TEXT)");
  _CommandPtr cmd;
  cmd.CreateInstance(CLSID_Command);
  cmd->PutRefActiveConnection(m_conn);
  cmd->PutCommandText(_bstr_t(L"INSERT INTO t VALUES(?, ?)"));
  ParametersPtr params = cmd->GetParameters();
  // Cleared and appended per row, as a loader does: each run binds its own values.
  _ParameterPtr held;
  for (long i = 0; i < 3; i++) {
    while (params->GetCount() > 0) params->Delete(_variant_t(params->GetCount() - 1));
    _ParameterPtr a = cmd->CreateParameter(_bstr_t(L"a"), adInteger, adParamInput, 4, _variant_t(i));
    if (i == 0) held = a;
    params->Append(a);
    if (i != 1)
      params->Append(cmd->CreateParameter(_bstr_t(L"b"), adVarWChar, adParamInput, 8, _variant_t(L"row")));
    else
      params->Append(cmd->CreateParameter(_bstr_t(L"b"), adVarWChar, adParamInput, 8));
    cmd->Execute(nullptr, nullptr, adCmdText);
  }
  _RecordsetPtr rs = Open(m_conn, L"SELECT a, coalesce(b, 'null') FROM t ORDER BY a", adOpenForwardOnly);
  std::vector<std::wstring> rows;
  for (; !rs->GetadoEOF(); rs->MoveNext())
    rows.push_back(Str(rs->GetCollect(_variant_t(0L))) + L" " + Str(rs->GetCollect(_variant_t(1L))));
  EXPECT_EQ((std::vector<std::wstring>{L"0 row", L"1 null", L"2 row"}), rows);
  // A parameter the caller still holds is never handed out again.
  EXPECT_EQ(L"a", std::wstring(held->GetName()));
  EXPECT_EQ(0, Long(held->GetValue()));
  for (long i = 0; i < 4; i++) {
    _ParameterPtr fresh = cmd->CreateParameter(_bstr_t(L"z"), adEmpty, adParamInput, 0);
    EXPECT_NE(held.GetInterfacePtr(), fresh.GetInterfacePtr());
    EXPECT_EQ(VT_EMPTY, fresh->GetValue().vt);
    EXPECT_EQ(adEmpty, fresh->GetType());
  }
}

TEST_F(AdoTest, TextsOfEveryLengthPerRunArriveWhole) {
  Exec(m_conn, L"CREATE TABLE t(n INTEGER, s TEXT)");
  _CommandPtr cmd = CommandOn(m_conn, L"INSERT INTO t VALUES(?, ?)");
  ParametersPtr params = cmd->GetParameters();
  // Longer, shorter, empty and wider texts one after another through the
  // same parameter; names swap places between runs.
  const std::wstring texts[] = {L"a long text that is written first of all", L"", L"short",
                                L"caf\u00e9 \u20ac \U0001F600", L"x", std::wstring(3000, L'w')};
  long n = 0;
  for (const std::wstring& text : texts) {
    while (params->GetCount() > 0) params->Delete(_variant_t(0L));
    const wchar_t* first = n % 2 ? L"s" : L"n";
    params->Append(cmd->CreateParameter(_bstr_t(first), adInteger, adParamInput, 4, _variant_t(n)));
    params->Append(cmd->CreateParameter(_bstr_t(n % 2 ? L"n" : L"s"), adVarWChar, adParamInput, 0,
                                        _variant_t(text.c_str())));
    EXPECT_EQ(n % 2, params->GetItem(_variant_t(L"s"))->GetType() == adInteger ? 1 : 0);
    cmd->Execute(nullptr, nullptr, adCmdText);
    ++n;
  }
  _RecordsetPtr rs = Open(m_conn, L"SELECT s FROM t ORDER BY n", adOpenForwardOnly);
  for (const std::wstring& text : texts) {
    ASSERT_FALSE(rs->GetadoEOF());
    EXPECT_EQ(text, Str(rs->GetCollect(_variant_t(0L))));
    rs->MoveNext();
  }
  EXPECT_TRUE(rs->GetadoEOF());
}

TEST_F(AdoTest, RowsStillBeingReadKeepTheValuesTheyRanWith) {
  Exec(m_conn, L"CREATE TABLE t(s TEXT); INSERT INTO t VALUES('a'), ('b'), ('c'), ('d'), ('e'), ('f')");
  // Read in rowid order, a step at a time (a sort would read all at once).
  _CommandPtr cmd = CommandOn(m_conn, L"SELECT s FROM t WHERE s >= ?");
  // Of one length, so the second is written over the first where it lies.
  const wchar_t* low = L"b-a-text-longer-than-any-small-string";
  const wchar_t* high = L"z-a-text-longer-than-any-small-string";
  _ParameterPtr from = cmd->CreateParameter(_bstr_t(L"from"), adVarWChar, adParamInput, 0, _variant_t(low));
  cmd->GetParameters()->Append(from);
  _RecordsetPtr first = cmd->Execute(nullptr, nullptr, adCmdText);
  ASSERT_EQ(adStateOpen, first->GetState());
  // The next run writes its values where the last run's were; rows of the
  // first are read only now, a step at a time.
  from->PutValue(_variant_t(high));
  _RecordsetPtr second = cmd->Execute(nullptr, nullptr, adCmdText);
  EXPECT_TRUE(second->GetadoEOF());
  std::vector<std::wstring> seen;
  for (; !first->GetadoEOF(); first->MoveNext()) seen.push_back(Str(first->GetCollect(_variant_t(0L))));
  EXPECT_EQ((std::vector<std::wstring>{L"c", L"d", L"e", L"f"}), seen);

  // A statement that changes rows and answers some reads them back the same way.
  cmd->PutCommandText(_bstr_t(L"INSERT INTO t VALUES(?) RETURNING s"));
  from->PutValue(_variant_t(L"returned"));
  _RecordsetPtr back = cmd->Execute(nullptr, nullptr, adCmdText);
  from->PutValue(_variant_t(L"overwritten text, longer"));
  cmd->Execute(nullptr, nullptr, adCmdText | adExecuteNoRecords);
  ASSERT_EQ(adStateOpen, back->GetState());
  EXPECT_EQ(L"returned", Str(back->GetCollect(_variant_t(0L))));
}

TEST_F(AdoTest, ClosedAnswersAreNeverSharedOrHandedOutChanged) {
  Exec(m_conn, L"CREATE TABLE t(a INTEGER)");
  _CommandPtr cmd = CommandOn(m_conn, L"INSERT INTO t VALUES(1)");
  auto run = [&] { return cmd->Execute(nullptr, nullptr, adCmdText); };
  _RecordsetPtr kept = run();
  ASSERT_TRUE(kept);
  FieldsPtr keptFields;
  // A caller's own use of an answer it then lets go of: none of it may show
  // in a later answer.
  const std::function<void(_RecordsetPtr&)> uses[] = {
      [](_RecordsetPtr& r) { r->PutCursorType(adOpenStatic); },
      [](_RecordsetPtr& r) { r->PutLockType(adLockOptimistic); },
      [&](_RecordsetPtr& r) { keptFields = r->GetFields(); },
      [&](_RecordsetPtr& r) {
        r->Open(_variant_t(L"SELECT a FROM t"), _variant_t(static_cast<IDispatch*>(m_conn)), adOpenKeyset,
                adLockOptimistic, adCmdText);
      },
  };
  int n = 1;
  for (const auto& use : uses) {
    _RecordsetPtr a = run(), b = run();
    n += 2;
    use(a);
    a = nullptr;
    b = nullptr;
    for (int i = 0; i < 3; i++, n++) {
      _RecordsetPtr answer = run();
      EXPECT_NE(kept.GetInterfacePtr(), answer.GetInterfacePtr()) << "held by the caller";
      EXPECT_EQ(adStateClosed, answer->GetState());
      EXPECT_EQ(adOpenForwardOnly, answer->GetCursorType());
      EXPECT_EQ(adLockReadOnly, answer->GetLockType());
      EXPECT_EQ(adErrObjectClosed, CodeOf([&] { answer->GetadoEOF(); }));
      if (keptFields) {
        EXPECT_NE(keptFields.GetInterfacePtr(), answer->GetFields().GetInterfacePtr());
      }
    }
  }
  EXPECT_EQ(adStateClosed, kept->GetState());
  _variant_t affected;
  cmd->Execute(&affected, nullptr, adCmdText);
  EXPECT_EQ(1, Long(affected));
  EXPECT_EQ(n + 1, Long(Open(m_conn, L"SELECT count(*) FROM t", adOpenForwardOnly)->GetCollect(_variant_t(0L))));
}

TEST(Parameter, ValuePutAgainIsExactlyTheNewOne) {
  CoInitialize(nullptr);
  _CommandPtr cmd;
  cmd.CreateInstance(CLSID_Command);
  _ParameterPtr p = cmd->CreateParameter(_bstr_t(L"p"), adVariant, adParamInput, 0, _variant_t(L"first text"));
  const wchar_t* texts[] = {L"much longer than the first text was", L"short", L""};
  for (const wchar_t* t : texts) {
    p->PutValue(_variant_t(t));
    EXPECT_EQ(VT_BSTR, p->GetValue().vt);
    EXPECT_EQ(t, Str(p->GetValue()));
  }
  // An odd number of bytes, a null string, then a number: each kept as given.
  _variant_t odd;
  odd.vt = VT_BSTR;
  odd.bstrVal = SysAllocStringByteLen("abc", 3);
  p->PutValue(odd);
  EXPECT_EQ(3u, SysStringByteLen(p->GetValue().bstrVal));
  _variant_t none;
  none.vt = VT_BSTR;
  none.bstrVal = nullptr;
  p->PutValue(none);
  EXPECT_EQ(nullptr, p->GetValue().bstrVal);
  p->PutValue(_variant_t(L"text again"));
  p->PutValue(_variant_t(7L));
  EXPECT_EQ(VT_I4, p->GetValue().vt);
  EXPECT_EQ(7, Long(p->GetValue()));
}
