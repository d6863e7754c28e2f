// A 200 MB file up and down on loopback, ours beside curl against the same
// server in active mode, runs interleaved so that both see the same load.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ZELFtp.h"
#include "support/Child.h"
#include "support/FtpServer.h"

namespace {

struct Result {
  double seconds;
  double cpuSeconds;  // user and system time of the side's process
  double peakMB;
};

double CpuOf(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

Result Ours(const zeltest::FtpServer& server, bool up, const std::string& local) {
  return zelbench::RunInChild<Result>([&](Result& r) {
    ZELFtp ftp;
    if (ftp.Connect(server.url().c_str(), server.user(), server.password(), server.port()) != 0) std::exit(1);
    if (server.vsftpd() && ftp.SetRemoteDir(L"/pub") != 0) std::exit(1);
    double cpu0 = CpuOf(RUSAGE_SELF);
    auto t0 = std::chrono::steady_clock::now();
    int rc = up ? ftp.PutFileEx(W(local).c_str(), L"ours.bin", TRUE, FTP_TRANSFER_TYPE_BINARY, NULL)
                : ftp.GetFileEx(L"data.bin", W(local).c_str(), TRUE, FTP_TRANSFER_TYPE_BINARY, NULL);
    r.seconds = Since(t0);
    r.cpuSeconds = CpuOf(RUSAGE_SELF) - cpu0;
    if (rc != 0) std::exit(1);
    r.peakMB = zelbench::PeakKB() / 1024.0;
  });
}

Result Curl(const zeltest::FtpServer& server, bool up, const std::string& local) {
  return zelbench::RunInChild<Result>([&](Result& r) {
    std::string base = "ftp://127.0.0.1:" + std::to_string(server.port()) + (server.vsftpd() ? "/pub/" : "/");
    const char* login = server.vsftpd() ? "anonymous:" : "zel:zel";
    auto t0 = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
      // Active mode, as ours: the server connects back.
      if (up)
        execlp("curl", "curl", "-s", "-S", "--ftp-port", "-", "-u", login, "-T", local.c_str(),
               (base + "curl.bin").c_str(), (char*)nullptr);
      else
        execlp("curl", "curl", "-s", "-S", "--ftp-port", "-", "-u", login, "-o", local.c_str(),
               (base + "data.bin").c_str(), (char*)nullptr);
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.seconds = Since(t0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    r.peakMB = u.ru_maxrss / 1024.0;
    r.cpuSeconds = CpuOf(RUSAGE_CHILDREN);
  });
}

void Report(const char* name, double mb, const std::vector<Result>& ours, const std::vector<Result>& peer) {
  std::vector<double> ratios, x, y;
  double oursPeak = 0, peerPeak = 0, oursCpu = 0, peerCpu = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    x.push_back(mb / ours[i].seconds);
    y.push_back(mb / peer[i].seconds);
    ratios.push_back(x.back() / y.back());
    oursPeak = std::max(oursPeak, ours[i].peakMB);
    peerPeak = std::max(peerPeak, peer[i].peakMB);
    oursCpu += ours[i].cpuSeconds / ours.size();
    peerCpu += peer[i].cpuSeconds / peer.size();
  }
  if (getenv("ZEL_BENCH_VERBOSE"))
    for (size_t i = 0; i < ours.size(); ++i)
      std::printf("%s run %zu: ours %.3f s (cpu %.3f), curl %.3f s (cpu %.3f)\n", name, i + 1, ours[i].seconds,
                  ours[i].cpuSeconds, peer[i].seconds, peer[i].cpuSeconds);
  std::sort(ratios.begin(), ratios.end());
  std::sort(x.begin(), x.end());
  std::sort(y.begin(), y.end());
  size_t mid = ratios.size() / 2;
  std::printf("%s: ratio over %zu interleaved runs %.2f .. %.2f\n", name, ratios.size(), ratios.front(),
              ratios.back());
  std::printf("%s: processor time per transfer: ours %.3f s, peer %.3f s\n", name, oursCpu, peerCpu);
  std::printf("%s: ours %.1f MB/s, peer %.1f MB/s (curl), ratio %.2f\n", name, x[mid], y[mid], ratios[mid]);
  std::printf("%s memory: ours %.0f MB, peer %.0f MB\n", name, oursPeak, peerPeak);
}

}  // namespace

int main(int argc, char** argv) {
  size_t mb = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 200;
  int runs = argc > 2 ? std::atoi(argv[2]) : 6;
  // Files in memory: the disk's write-back would time whichever side ran
  // after the other had dirtied 200 MB, not the transfers.
  if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
  // "vsftpd" as third argument: the C server instead of the Python one.
  zeltest::FtpServer::Options options;
  options.bVsftpd = argc > 3 && std::string(argv[3]) == "vsftpd";
  zeltest::FtpServer server(options);
  std::string served = options.bVsftpd ? "pub/data.bin" : "data.bin";
  zeltest::TempDir work;
  {
    std::mt19937_64 gen(7);
    std::vector<unsigned long long> block(1 << 17);
    std::ofstream out(server.file(served), std::ios::binary);
    for (size_t written = 0; written < (mb << 20); written += block.size() * 8) {
      for (auto& v : block) v = gen();
      out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
    }
  }
  std::string source = server.file(served);
  std::printf("file: %zu MB on loopback, %d runs each way, each the best of 5 transfers a side\n", mb, runs);
  std::vector<Result> upOurs, upPeer, downOurs, downPeer;
  std::string folder = options.bVsftpd ? "pub/" : "";
  // Every transfer makes a new file: truncating the last run's 200 MB
  // would be timed inside whichever transfer came next, the same work for
  // both sides but a large and uneven share of a sixth of a second.
  auto upOurs1 = [&] {
    std::remove(server.file(folder + "ours.bin").c_str());
    return Ours(server, true, source);
  };
  auto upPeer1 = [&] {
    std::remove(server.file(folder + "curl.bin").c_str());
    return Curl(server, true, source);
  };
  auto downOurs1 = [&] {
    std::remove(work.file("ours.bin").c_str());
    return Ours(server, false, work.file("ours.bin"));
  };
  auto downPeer1 = [&] {
    std::remove(work.file("curl.bin").c_str());
    return Curl(server, false, work.file("curl.bin"));
  };
  // A run is each side's best of kTries transfers, the two sides taking
  // turns. On a virtual machine of two processors one transfer of a sixth
  // of a second moves by a quarter either way from one try to the next,
  // for either program and either server; the best of several is the
  // transfer's own cost. Each run changes which side goes first.
  const int kTries = 5;
  auto run = [&](const std::function<Result()>& ours, const std::function<Result()>& peer, bool oursFirst,
                 std::vector<Result>& oursRuns, std::vector<Result>& peerRuns) {
    Result o{1e9, 0, 0}, p{1e9, 0, 0};
    auto keep = [](Result& best, const Result& r) {
      double peak = std::max(best.peakMB, r.peakMB);
      if (r.seconds < best.seconds) best = r;
      best.peakMB = peak;
    };
    for (int t = 0; t < kTries; ++t) {
      if (oursFirst) keep(o, ours());
      keep(p, peer());
      if (!oursFirst) keep(o, ours());
    }
    oursRuns.push_back(o);
    peerRuns.push_back(p);
  };
  for (int i = 0; i < runs; ++i) {
    run(upOurs1, upPeer1, i % 2 == 0, upOurs, upPeer);
    run(downOurs1, downPeer1, i % 2 == 0, downOurs, downPeer);
  }
  Report("ftp-upload", static_cast<double>(mb), upOurs, upPeer);
  Report("ftp-download", static_cast<double>(mb), downOurs, downPeer);
  return 0;
}
