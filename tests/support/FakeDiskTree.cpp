#include "support/FakeDiskTree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace zeltest {

namespace {

void MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::app) << text;
}

}  // namespace

FakeDiskTree::FakeDiskTree(const TempDir& dir) : ZelDiskSystem(dir.path()), m_root(dir.path()) {
  MakeDirs(m_root + "/proc/self");
  MakeDirs(m_root + "/sys/class/block");
  MakeDirs(m_root + "/sys/devices/virtual/block");
  Write(m_root + "/proc/self/mountinfo", "");
}

void FakeDiskTree::AddMount(const std::string& line) {
  Write(m_root + "/proc/self/mountinfo", std::to_string(++m_mounts + 20) + " 1 " + line + "\n");
}

void FakeDiskTree::AddBlock(const FakeBlock& b) {
  std::string rel = "devices/virtual/block/" + (b.disk.empty() ? b.name : b.disk + "/" + b.name);
  std::string dir = m_root + "/sys/" + rel;
  MakeDirs(dir);
  Write(dir + "/dev", b.number + "\n");
  Write(dir + "/size", std::to_string(b.sectors) + "\n");
  if (b.disk.empty()) {
    Write(dir + "/removable", b.removable ? "1\n" : "0\n");
    if (!b.backingFile.empty()) {
      MakeDirs(dir + "/loop");
      Write(dir + "/loop/backing_file", b.backingFile + "\n");
    }
    if (b.scsiType >= 0) {
      MakeDirs(dir + "/device");
      Write(dir + "/device/type", std::to_string(b.scsiType) + "\n");
    }
  } else {
    Write(dir + "/partition", "1\n");
  }
  (void)!symlink(("../../" + rel).c_str(), (m_root + "/sys/class/block/" + b.name).c_str());
}

bool FakeDiskTree::Space(const std::string& mountPoint, uint64_t& total, uint64_t& avail) const {
  auto it = space.find(mountPoint);
  if (it == space.end()) return false;
  total = it->second.first;
  avail = it->second.second;
  return true;
}

ZelProbe FakeDiskTree::Probe(const std::string& device) const {
  auto it = probes.find(device);
  return it == probes.end() ? ZelProbe() : it->second;
}

}  // namespace zeltest
