// The format mutex across processes: a holder in another process refuses
// the name until it closes it, exits or is killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/NamedMutex.h"
#include "support/TempDir.h"

namespace {

const wchar_t kName[] = L"ZELLogicalDisk_Format_Mutex";

// A child process that takes the name and waits for a byte before it
// closes the handle and exits.
class Holder {
public:
  Holder() {
    if (pipe(m_ready) != 0 || pipe(m_go) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      HANDLE h = CreateMutexW(NULL, TRUE, kName);
      char c = (h && GetLastError() != ERROR_ALREADY_EXISTS) ? 'y' : 'n';
      (void)!write(m_ready[1], &c, 1);
      (void)!read(m_go[0], &c, 1);
      CloseHandle(h);
      _exit(0);
    }
    char c = 0;
    (void)!read(m_ready[0], &c, 1);
    m_holds = c == 'y';
  }
  ~Holder() { Kill(); }
  bool holds() const { return m_holds; }
  void Finish() { End(false); }
  void Kill() { End(true); }

private:
  void End(bool kill_) {
    if (m_pid <= 0) return;
    if (kill_) kill(m_pid, SIGKILL);
    else (void)!write(m_go[1], "x", 1);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }
  int m_ready[2] = {-1, -1}, m_go[2] = {-1, -1};
  pid_t m_pid = -1;
  bool m_holds = false;
};

// The second process is refused, and takes the name once the first is done.
bool TakenHere() {
  HANDLE h = CreateMutexW(NULL, TRUE, kName);
  bool mine = h && GetLastError() != ERROR_ALREADY_EXISTS;
  if (h) {
    if (mine) EXPECT_TRUE(ReleaseMutex(h));
    else EXPECT_FALSE(ReleaseMutex(h));  // a refused handle owns nothing
    CloseHandle(h);
  }
  return mine;
}

class NamedMutex : public ::testing::Test {
protected:
  void SetUp() override { ZelSetNamedMutexFolder(dir.path().c_str()); }
  void TearDown() override { ZelSetNamedMutexFolder(nullptr); }
  zeltest::TempDir dir;
};

TEST_F(NamedMutex, RefusedWhileAnotherProcessHoldsItFreeAfterItEnds) {
  Holder holder;
  ASSERT_TRUE(holder.holds());
  EXPECT_FALSE(TakenHere());
  EXPECT_FALSE(TakenHere());  // a refusal keeps nothing
  holder.Finish();
  EXPECT_TRUE(TakenHere());
}

TEST_F(NamedMutex, FreeAfterTheHolderIsKilled) {
  Holder holder;
  ASSERT_TRUE(holder.holds());
  EXPECT_FALSE(TakenHere());
  holder.Kill();
  EXPECT_TRUE(TakenHere());
}

TEST_F(NamedMutex, TwoHandlesInOneProcessAndUnnamedOnes) {
  HANDLE a = CreateMutexW(NULL, TRUE, kName);
  ASSERT_TRUE(a);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(TakenHere());
  CloseHandle(a);
  EXPECT_TRUE(TakenHere());
  HANDLE u1 = CreateMutexW(NULL, FALSE, NULL), u2 = CreateMutexW(NULL, FALSE, NULL);
  ASSERT_TRUE(u1 && u2);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(ReleaseMutex(u1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
  CloseHandle(u1);
  CloseHandle(u2);
  EXPECT_FALSE(ReleaseMutex(u1));  // closed
}

}  // namespace
