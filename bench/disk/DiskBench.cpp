// Lists the machine's disks with EnumerateLogicalDisk, beside running
// findmnt --json and lsblk --json, which together tell what one listing
// tells (mounts and block devices). Each side runs in its own child
// process; time is processor time, the side's own and its children's, so
// that other work on the shared machine counts as little as it can.
//
//   bench_disk [LISTINGS]     default 200 per side and round
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ZELLogicalDisk.h"
#include "support/Child.h"

extern char** environ;

namespace {

double CpuSeconds() {
  rusage self{}, kids{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &kids);
  auto s = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return s(self.ru_utime) + s(self.ru_stime) + s(kids.ru_utime) + s(kids.ru_stime);
}

long ChildrenPeakKB() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_maxrss;
}

struct Result {
  double seconds = 0;
  double peakMB = 0;
  int disks = 0;
};

// Runs a tool and reads all it writes, as a program using it would.
void RunTool(const char* tool) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  char* argv[] = {const_cast<char*>(tool), const_cast<char*>("--json"), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, tool, &fa, nullptr, argv, environ) != 0) std::exit(1);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  char buf[65536];
  while (read(fds[0], buf, sizeof buf) > 0) {
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
}

Result Ours(int n) {
  return zelbench::RunInChild<Result>([n](Result& r) {
    long before = zelbench::PeakKB();
    // The loading thread's apartment refuses the listing: a thread of its own.
    std::thread t([&] {
      ZELLogicalDisk disk;
      double t0 = CpuSeconds();
      for (int i = 0; i < n; ++i) r.disks = disk.EnumerateLogicalDisk();
      r.seconds = CpuSeconds() - t0;
    });
    t.join();
    r.peakMB = (zelbench::PeakKB() - before) / 1024.0;
  });
}

Result Peer(int n) {
  return zelbench::RunInChild<Result>([n](Result& r) {
    double t0 = CpuSeconds();
    for (int i = 0; i < n; ++i) {
      RunTool("findmnt");
      RunTool("lsblk");
    }
    r.seconds = CpuSeconds() - t0;
    r.peakMB = ChildrenPeakKB() / 1024.0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  double best[2] = {1e9, 1e9}, lo = 1e9, hi = 0;
  Result a, b;
  for (int round = 0; round < 3; ++round) {
    a = Ours(n);
    b = Peer(n);
    if (a.disks <= 0) {
      std::fprintf(stderr, "the listing found no disk\n");
      return 1;
    }
    double ratio = (n / a.seconds) / (n / b.seconds);
    std::printf("round %d: ours %.3f ms, peer %.3f ms a listing (%d disks), ratio %.1f\n", round + 1,
                a.seconds * 1e3 / n, b.seconds * 1e3 / n, a.disks, ratio);
    best[0] = std::min(best[0], a.seconds);
    best[1] = std::min(best[1], b.seconds);
    lo = std::min(lo, ratio);
    hi = std::max(hi, ratio);
  }
  const double x = n / best[0], y = n / best[1];
  std::printf("ratio over the rounds: %.1f to %.1f\n", lo, hi);
  std::printf("disk: ours %.0f listings/s, peer %.0f listings/s (findmnt --json + lsblk --json), ratio %.1f\n", x, y,
              x / y);
  std::printf("disk memory: ours %.1f MB, peer %.1f MB\n", a.peakMB, b.peakMB);
  return 0;
}
