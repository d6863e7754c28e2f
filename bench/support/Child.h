// Each side of a benchmark runs in its own child process, so that its peak
// memory is its own and one side's heap never warms the other's. The child
// hands back a plain record through a pipe.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <type_traits>

namespace zelbench {

// Peak resident memory of this process so far, in KB.
inline long PeakKB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Runs side in a child and answers the record it filled. A child that
// fails or dies ends the benchmark with a message.
template <class R>
R RunInChild(const std::function<void(R&)>& side) {
  static_assert(std::is_trivially_copyable<R>::value, "the record crosses a pipe");
  int fds[2];
  if (pipe(fds) != 0) std::abort();
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    R r{};
    side(r);
    if (write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  R r{};
  ssize_t n = read(fds[0], &r, sizeof r);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (n != static_cast<ssize_t>(sizeof r) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "benchmark side failed\n");
    std::exit(1);
  }
  return r;
}

}  // namespace zelbench
