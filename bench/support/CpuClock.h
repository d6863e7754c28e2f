// Processor time of this process, user and system: the machines the
// benchmarks run on are shared, and every side is single-threaded.
#pragma once

#include <ctime>

namespace zelbench {

inline double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

}  // namespace zelbench
