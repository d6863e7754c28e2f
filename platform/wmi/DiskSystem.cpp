#include "platform/wmi/DiskSystem.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {

std::mutex g_lock;
std::shared_ptr<ZelDiskSystem>& Current() {
  static auto* s = new std::shared_ptr<ZelDiskSystem>;
  return *s;
}

std::string Value(blkid_probe pr, const char* name) {
  const char* v = nullptr;
  size_t n = 0;
  if (blkid_probe_lookup_value(pr, name, &v, &n) != 0 || !v) return std::string();
  return std::string(v, strnlen(v, n));
}

}  // namespace

bool ZelDiskSystem::Space(const std::string& mountPoint, uint64_t& total, uint64_t& avail) const {
  struct statvfs st {};
  if (statvfs(mountPoint.c_str(), &st) != 0) return false;
  uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
  total = static_cast<uint64_t>(st.f_blocks) * unit;
  avail = static_cast<uint64_t>(st.f_bavail) * unit;
  return true;
}

ZelProbe ZelDiskSystem::Probe(const std::string& device) const {
  ZelProbe p;
  blkid_probe pr = blkid_new_probe_from_filename(device.c_str());
  if (!pr) return p;  // not readable by this user, or gone
  blkid_probe_enable_superblocks(pr, 1);
  blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION | BLKID_SUBLKS_LABEL);
  if (blkid_do_safeprobe(pr) == 0) {
    p.type = Value(pr, "TYPE");
    p.version = Value(pr, "VERSION");
    p.label = Value(pr, "LABEL");
  }
  blkid_free_probe(pr);
  return p;
}

std::string ZelDiskSystem::ReadText(const std::string& path) const {
  std::ifstream in(m_root + path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> ZelDiskSystem::List(const std::string& path) const {
  std::vector<std::string> names;
  DIR* d = opendir((m_root + path).c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string n(e->d_name);
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool ZelDiskSystem::Exists(const std::string& path) const { return access((m_root + path).c_str(), F_OK) == 0; }

std::string ZelDiskSystem::Resolve(const std::string& path) const {
  char buf[PATH_MAX];
  if (!realpath((m_root + path).c_str(), buf)) return std::string();
  std::string s(buf);
  if (m_root.empty()) return s;
  char rootBuf[PATH_MAX];
  std::string root = realpath(m_root.c_str(), rootBuf) ? rootBuf : m_root;
  return s.compare(0, root.size(), root) == 0 ? s.substr(root.size()) : std::string();
}

bool ZelSpaceWithin(const std::shared_ptr<const ZelDiskSystem>& sys, const std::string& mountPoint, uint64_t& total,
                    uint64_t& avail, int ms) {
  struct Answer {
    std::mutex lock;
    std::condition_variable ready;
    bool done = false, ok = false;
    uint64_t total = 0, avail = 0;
  };
  auto a = std::make_shared<Answer>();
  std::thread([a, sys, mountPoint] {
    uint64_t t = 0, f = 0;
    bool ok = sys->Space(mountPoint, t, f);
    std::lock_guard<std::mutex> g(a->lock);
    a->done = true;
    a->ok = ok;
    a->total = t;
    a->avail = f;
    a->ready.notify_all();
  }).detach();
  std::unique_lock<std::mutex> g(a->lock);
  if (!a->ready.wait_for(g, std::chrono::milliseconds(ms), [&] { return a->done; }) || !a->ok) return false;
  total = a->total;
  avail = a->avail;
  return true;
}

void ZelWmiSetDiskSystem(std::shared_ptr<ZelDiskSystem> system) {
  std::lock_guard<std::mutex> g(g_lock);
  Current() = std::move(system);
}

std::shared_ptr<ZelDiskSystem> ZelWmiDiskSystem() {
  std::lock_guard<std::mutex> g(g_lock);
  if (!Current()) Current() = std::make_shared<ZelDiskSystem>();
  return Current();
}
