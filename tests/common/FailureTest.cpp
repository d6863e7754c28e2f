// Which exceptions the failure frame turns into a report, and which it
// leaves to propagate as bugs.
#include <stdexcept>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "ZELFailure.h"

namespace {

struct Counted : CException {
  explicit Counted(int* alive) : m_alive(alive) { ++*m_alive; }
  ~Counted() override { --*m_alive; }
  long GetErrorCode() const override { return 42; }
  CString GetErrorMessage() const override { return CString(L"counted"); }
  int* m_alive;
};

template <class Body>
std::vector<ZELFailure> Guarded(Body body, BOOL expect) {
  std::vector<ZELFailure> got;
  BOOL answer = ZelGuarded(body, [&](const ZELFailure& f) { got.push_back(f); });
  EXPECT_EQ(expect, answer);
  return got;
}

}  // namespace

TEST(Failure, FacilityFailuresBecomeOneReport) {
  EXPECT_TRUE(Guarded([] {}, TRUE).empty());

  auto com = Guarded([] { throw _com_error(E_INVALIDARG, L"the path is not valid"); }, FALSE);
  ASSERT_EQ(1u, com.size());
  EXPECT_EQ(ZELFailure::kCom, com[0].origin);
  EXPECT_EQ(static_cast<long>(E_INVALIDARG), com[0].nCode);
  EXPECT_EQ(CString(L"the path is not valid"), com[0].strDescription);
  EXPECT_FALSE(com[0].strText.IsEmpty());

  auto mem = Guarded([] { throw std::bad_alloc(); }, FALSE);
  ASSERT_EQ(1u, mem.size());
  EXPECT_EQ(ZELFailure::kMemory, mem[0].origin);
  EXPECT_EQ(static_cast<long>(E_OUTOFMEMORY), mem[0].nCode);

  int alive = 0;
  auto fw = Guarded([&] { throw new Counted(&alive); }, FALSE);
  ASSERT_EQ(1u, fw.size());
  EXPECT_EQ(ZELFailure::kFramework, fw[0].origin);
  EXPECT_EQ(42, fw[0].nCode);
  EXPECT_EQ(CString(L"counted"), fw[0].strText);
  EXPECT_EQ(0, alive);  // freed by the frame

  auto sys = Guarded([] { throw std::system_error(ENOSPC, std::generic_category(), "writing"); }, FALSE);
  ASSERT_EQ(1u, sys.size());
  EXPECT_EQ(ZELFailure::kSystem, sys[0].origin);
  EXPECT_EQ(static_cast<long>(ERROR_DISK_FULL), sys[0].nCode);
}

TEST(Failure, BugsPropagate) {
  auto never = [](const ZELFailure&) { ADD_FAILURE() << "a bug was reported as a failure"; };
  EXPECT_THROW(ZelGuarded([] { throw std::out_of_range("index"); }, never), std::out_of_range);
  EXPECT_THROW(ZelGuarded([] { throw std::logic_error("state"); }, never), std::logic_error);
  EXPECT_THROW(ZelGuarded([] { throw 7; }, never), int);
}

// A reporter that runs out of memory itself still lets the operation
// answer its failure.
TEST(Failure, AReporterWithoutMemoryStillAnswersFalse) {
  EXPECT_FALSE(ZelGuarded([] { throw _com_error(E_FAIL); }, [](const ZELFailure&) { throw std::bad_alloc(); }));
}
