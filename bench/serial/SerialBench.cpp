// Streams bytes through a pseudo-terminal into ZELSerial (the watch thread
// queues them; the reading thread takes them with Get, from a loop that
// sleeps a millisecond when the queue is empty, and once woken by each
// block's window message instead), beside a plain blocking read loop on a pseudo-terminal of its
// own reading 1024 bytes at a time as the class does (and, for reference,
// once with 64 KB reads), each side in its own child process. Then the delay from a byte
// written to its window message taken, beside the delay of the read loop.
// Stream times are the processor time of each side's process (the feeding
// thread included on both sides), since the machine is shared; wall-clock
// times are shown beside them.
//
//   bench_serial [MB] [samples]     default 50 MB, 2000 delay samples
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ZELSerial.h"
#include "support/Child.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}
constexpr UINT kMsg = WM_APP + 1;
constexpr unsigned kPort = 240;

struct Pty {
  int master = -1, slave = -1;
  std::string path;
  Pty() {
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) std::exit(1);
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    path = name;
  }
  ~Pty() {
    close(master);
    close(slave);
  }
};

// The byte at position i of the stream, so the reader can check order.
unsigned char At(size_t i) { return static_cast<unsigned char>(i * 131 + (i >> 11)); }

void Feed(int fd, size_t total) {
  std::vector<unsigned char> buf(65536);
  for (size_t done = 0; done < total;) {
    size_t n = std::min(buf.size(), total - done);
    for (size_t k = 0; k < n; ++k) buf[k] = At(done + k);
    for (size_t k = 0; k < n;) {
      ssize_t w = write(fd, buf.data() + k, n - k);
      if (w <= 0) std::exit(1);
      k += static_cast<size_t>(w);
    }
    done += n;
  }
}

struct Result {
  double seconds = 0;  // processor time of the process
  double wall = 0;
  double medianMs = 0, p99Ms = 0;
  double peakMB = 0;
  bool ok = false;
};

ZELSerial* Open(Pty& pty, CWnd& wnd, ZELSerial& s) {
  std::wstring dev(pty.path.begin(), pty.path.end());
  DefineDosDeviceW(0, (L"COM" + std::to_wstring(kPort)).c_str(), dev.c_str());
  wnd.CreateEx(0, L"", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL);
  s.SetNotify(&wnd, kMsg);
  if (!s.Connect(kPort, 115200, 8, 0, 0)) std::exit(1);
  return &s;
}

// The reading thread takes the bytes with Get: woken by each block's
// window message, or (messages false) from a loop that sleeps a
// millisecond whenever the queue is empty, as a timer-driven reader does.
void OursStream(Result& r, size_t total, bool messages) {
  Pty pty;
  CWnd wnd;
  ZELSerial s;
  Open(pty, wnd, s);
  if (!messages) s.SetNotify(NULL, 0);
  auto t0 = Clock::now();
  double c0 = CpuSeconds();
  std::thread feeder(Feed, pty.master, total);
  std::vector<unsigned char> buf(65536);
  size_t got = 0;
  bool ok = true;
  MSG msg;
  while (got < total) {
    if (messages && GetMessageW(&msg, NULL, 0, 0) <= 0) break;
    int n = s.Get(buf.data(), static_cast<int>(buf.size()));
    for (int k = 0; k < n; ++k) ok &= buf[k] == At(got + k);
    got += static_cast<size_t>(n);
    if (!messages && n == 0) usleep(1000);
  }
  feeder.join();
  r.seconds = CpuSeconds() - c0;
  r.wall = std::chrono::duration<double>(Clock::now() - t0).count();
  r.ok = ok && got == total;
}

// readSize 1024 reads as much at a time as the class does.
void PeerStream(Result& r, size_t total, size_t readSize) {
  Pty pty;
  auto t0 = Clock::now();
  double c0 = CpuSeconds();
  std::thread feeder(Feed, pty.master, total);
  std::vector<unsigned char> buf(readSize);
  size_t got = 0;
  bool ok = true;
  while (got < total) {
    ssize_t n = read(pty.slave, buf.data(), buf.size());
    if (n <= 0) break;
    for (ssize_t k = 0; k < n; ++k) ok &= buf[k] == At(got + k);
    got += static_cast<size_t>(n);
  }
  feeder.join();
  r.seconds = CpuSeconds() - c0;
  r.wall = std::chrono::duration<double>(Clock::now() - t0).count();
  r.ok = ok && got == total;
}

void Percentiles(std::vector<double>& ms, Result& r) {
  std::sort(ms.begin(), ms.end());
  r.medianMs = ms[ms.size() / 2];
  r.p99Ms = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

// One byte at a time, written by this thread, which then waits until the
// receiving side tells it the byte has come; the next goes after a pause.
template <class Await>
void Delays(int master, int samples, Result& r, Await await) {
  std::vector<double> ms;
  for (int i = 0; i < samples; ++i) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    unsigned char b = static_cast<unsigned char>(i);
    auto t0 = Clock::now();
    if (write(master, &b, 1) != 1) std::exit(1);
    await();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  Percentiles(ms, r);
  r.ok = true;
}

// The message of the watch thread, taken on this thread.
void OursDelay(Result& r, int samples) {
  Pty pty;
  CWnd wnd;
  ZELSerial s;
  Open(pty, wnd, s);
  Delays(pty.master, samples, r, [&] {
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0 && msg.message != kMsg) {
    }
    unsigned char b;
    s.Get(&b, 1);
  });
}

// A reader thread in a blocking read, which tells this thread the same way
// a posted message would: through a lock and a condition.
void PeerDelay(Result& r, int samples) {
  Pty pty;
  std::mutex lock;
  std::condition_variable arrived;
  int count = 0;
  std::thread reader([&] {
    for (int i = 0; i < samples; ++i) {
      unsigned char b;
      if (read(pty.slave, &b, 1) != 1) std::exit(1);
      std::lock_guard<std::mutex> g(lock);
      ++count;
      arrived.notify_one();
    }
  });
  int seen = 0;
  Delays(pty.master, samples, r, [&] {
    std::unique_lock<std::mutex> g(lock);
    arrived.wait(g, [&] { return count > seen; });
    ++seen;
  });
  reader.join();
}

template <class Side>
Result InChild(Side side) {
  return zelbench::RunInChild<Result>([&](Result& r) {
    long before = zelbench::PeakKB();
    side(r);
    r.peakMB = (zelbench::PeakKB() - before) / 1024.0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const double mb = argc > 1 ? std::atof(argv[1]) : 50;
  const int samples = argc > 2 ? std::atoi(argv[2]) : 2000;
  const size_t total = static_cast<size_t>(mb * 1024 * 1024);

  Result od = InChild([&](Result& r) { OursDelay(r, samples); });
  Result pd = InChild([&](Result& r) { PeerDelay(r, samples); });
  std::printf("serial delay, byte written to message taken: ours median %.3f ms, p99 %.3f ms; "
              "read loop median %.3f ms, p99 %.3f ms (%d samples)\n",
              od.medianMs, od.p99Ms, pd.medianMs, pd.p99Ms, samples);

  // Three rounds, the sides interleaved; the median round is the result.
  std::vector<double> ratios;
  std::vector<std::pair<Result, Result>> rounds;
  bool ok = true;
  for (int i = 0; i < 3; ++i) {
    Result a = InChild([&](Result& r) { OursStream(r, total, false); });
    Result b = InChild([&](Result& r) { PeerStream(r, total, 1024); });
    ok &= a.ok && b.ok;
    std::printf("round %d: ours %.2f s (wall %.2f s), read loop %.2f s (wall %.2f s), ratio %.2f\n", i + 1, a.seconds,
                a.wall, b.seconds, b.wall, b.seconds / a.seconds);
    ratios.push_back(b.seconds / a.seconds);
    rounds.emplace_back(a, b);
  }
  std::sort(rounds.begin(), rounds.end(), [](const auto& x, const auto& y) {
    return y.second.seconds / y.first.seconds > x.second.seconds / x.first.seconds;
  });
  const auto& mid = rounds[1];
  Result woken = InChild([&](Result& r) { OursStream(r, total, true); });
  std::printf("ours, the reader woken by each block's message: %.2f s (wall %.2f s), %.1f MB/s\n", woken.seconds,
              woken.wall, mb / woken.seconds);
  ok &= woken.ok;
  Result big = InChild([&](Result& r) { PeerStream(r, total, 65536); });
  std::printf("read loop taking up to 64 KB a read: %.2f s (wall %.2f s), %.1f MB/s\n", big.seconds, big.wall,
              mb / big.seconds);
  std::sort(ratios.begin(), ratios.end());
  std::printf("all bytes in order: %s; ratio range %.2f to %.2f\n", ok ? "yes" : "NO", ratios.front(), ratios.back());
  const double x = mb / mid.first.seconds, y = mb / mid.second.seconds;
  std::printf("serial: ours %.1f MB/s, peer %.1f MB/s (read loop), ratio %.2f\n", x, y, x / y);
  std::printf("serial memory: ours %.0f MB, peer %.0f MB\n", mid.first.peakMB, mid.second.peakMB);
  return ok ? 0 : 1;
}
