// A made-up machine for the disk listing: a /proc/self/mountinfo and a
// /sys/class/block tree in a temporary folder, laid out as the kernel lays
// them out (partitions inside their disk's folder, class entries as links),
// with the space of mounts and the probe results of devices given by the
// test.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/wmi/DiskSystem.h"
#include "support/TempDir.h"

namespace zeltest {

struct FakeBlock {
  FakeBlock(std::string n, std::string num, uint64_t sec, std::string d = "", bool rem = false,
            std::string backing = "", int scsi = -1)
      : name(std::move(n)), number(std::move(num)), sectors(sec), disk(std::move(d)), removable(rem),
        backingFile(std::move(backing)), scsiType(scsi) {}
  std::string name;          // sdb1
  std::string number;        // 8:17
  uint64_t sectors;
  std::string disk;          // sdb for a partition; empty for a disk
  bool removable;
  std::string backingFile;   // for loop devices
  int scsiType;              // 5 for an optical drive
};

class FakeDiskTree : public ZelDiskSystem {
public:
  explicit FakeDiskTree(const TempDir& dir);
  void AddMount(const std::string& line);
  void AddBlock(const FakeBlock& b);

  std::map<std::string, std::pair<uint64_t, uint64_t>> space;  // mount point: total, available
  std::map<std::string, ZelProbe> probes;                       // device node

  bool Space(const std::string& mountPoint, uint64_t& total, uint64_t& avail) const override;
  ZelProbe Probe(const std::string& device) const override;

private:
  std::string m_root;
  int m_mounts = 0;
};

}  // namespace zeltest
