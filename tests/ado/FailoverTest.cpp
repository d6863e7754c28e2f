// Several hosts in Data Source: the connection goes to the one taking
// writes, and after the primary dies and its standby is promoted,
// Reconnect finds the new primary.
#include "AdoTest.h"

#include <chrono>
#include <thread>

TEST(AdoFailover, ReconnectFindsThePromotedStandby) {
  CoInitialize(NULL);
  zeltest::PgCluster primary;
  std::unique_ptr<zeltest::PgCluster> standby = zeltest::PgCluster::StandbyOf(primary);
  // The standby is listed first: it takes no writes, so the primary is chosen.
  std::string hosts = standby->Address() + "," + primary.Address();
  std::wstring text = L"Provider=PostgreSQL;Data Source=" + std::wstring(hosts.begin(), hosts.end()) +
                      L";Initial Catalog=postgres";
  ZELAdo ado;
  ASSERT_EQ(1, ado.Connect(text.c_str(), L"postgres", L"zel-secret"));
  ASSERT_EQ(1, ado.ExecuteSQL(L"CREATE TABLE t (n integer)"));
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (1)"));
  // Wait (bounded) until the standby has replayed the row.
  for (int i = 0; i < 100 && standby->Sql("SELECT count(*) FROM pg_class WHERE relname = 't'") != "1\n"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (int i = 0; i < 100 && standby->Sql("SELECT count(*) FROM t") != "1\n"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

  primary.Stop();
  EXPECT_EQ(0, ado.ExecuteSQL(L"INSERT INTO t VALUES (2)"));
  ASSERT_EQ(1, ado.GetLogCount());
  EXPECT_EQ(static_cast<long>(E_FAIL), ado.GetLog(0).nCode);
  EXPECT_EQ(0, ado.IsConnected());
  standby->Promote();
  ASSERT_EQ(1, ado.Reconnect());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (2)")) << "the new primary takes writes";
  long count = 0;
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT count(*) FROM t"));
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, count));
  EXPECT_EQ(2, count);
  ado.Disconnect();
  CoUninitialize();
}
