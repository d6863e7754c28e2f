// Interleaved rounds of two sides, each side of each round in a fresh
// child process, and the closing lines every benchmark prints:
//   NAME: ours X UNIT, peer Y UNIT (PEER), ratio R
//   NAME memory: ours A MB, peer B MB
// X and Y are the best round of each side; the range of the rounds'
// ratios is printed before them, since one machine's load varies.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "support/Child.h"

namespace zelbench {

struct Sample {
  double seconds = 0;
  unsigned long long checksum = 0;  // both sides must have read the same
  long peakKB = 0;                  // the child's own, above its start
};

// work: the amount each side does, in units of UNIT's numerator (reads,
// MB); answers the worst round's ratio.
inline double RunRounds(const char* name, const char* unit, double work, const char* peerName, int rounds,
                        const std::function<Sample()>& ours, const std::function<Sample()>& peer) {
  auto side = [](const std::function<Sample()>& run) {
    return RunInChild<Sample>([&](Sample& s) {
      long base = PeakKB();
      s = run();
      s.peakKB = PeakKB() - base;
    });
  };
  Sample bestOurs, bestPeer;
  double low = 0, high = 0;
  for (int k = 0; k < rounds; ++k) {
    Sample a = side(ours), b = side(peer);
    if (a.checksum != b.checksum) {
      std::fprintf(stderr, "%s: the two sides read different things (%llu, %llu)\n", name, a.checksum, b.checksum);
      std::exit(1);
    }
    double ratio = b.seconds / a.seconds;
    std::printf("%s round %d: ours %.3f s, peer %.3f s, ratio %.2f\n", name, k + 1, a.seconds, b.seconds, ratio);
    low = k == 0 ? ratio : std::min(low, ratio);
    high = k == 0 ? ratio : std::max(high, ratio);
    if (k == 0 || a.seconds < bestOurs.seconds) bestOurs.seconds = a.seconds;
    if (k == 0 || b.seconds < bestPeer.seconds) bestPeer.seconds = b.seconds;
    bestOurs.peakKB = std::max(bestOurs.peakKB, a.peakKB);
    bestPeer.peakKB = std::max(bestPeer.peakKB, b.peakKB);
  }
  double x = work / bestOurs.seconds, y = work / bestPeer.seconds;
  std::printf("%s ratio over %d rounds: %.2f to %.2f\n", name, rounds, low, high);
  std::printf("%s: ours %.1f %s, peer %.1f %s (%s), ratio %.2f\n", name, x, unit, y, unit, peerName, x / y);
  std::printf("%s memory: ours %.0f MB, peer %.0f MB\n", name, bestOurs.peakKB / 1024.0, bestPeer.peakKB / 1024.0);
  std::fflush(stdout);
  return low;
}

}  // namespace zelbench
