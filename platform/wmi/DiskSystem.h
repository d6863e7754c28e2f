// Where the disk listing gets its facts: the mount table and block devices
// under a root folder ("" for this machine), the space of a mounted file
// system, and the file system found on a device.
//
// The machine's own answers come from statvfs and libblkid. A test hands a
// subclass over a fake /proc and /sys tree to ZelWmiSetDiskSystem, so the
// same parsing runs over made-up disks of any size or kind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ZelProbe {
  std::string type;     // blkid's name: vfat, ntfs, ext4 ...; empty when none
  std::string version;  // FAT12, FAT16, FAT32 for vfat
  std::string label;
};

class ZelDiskSystem {
public:
  explicit ZelDiskSystem(std::string root = std::string()) : m_root(std::move(root)) {}
  virtual ~ZelDiskSystem() = default;

  // Total and available bytes of the file system mounted at mountPoint.
  virtual bool Space(const std::string& mountPoint, uint64_t& total, uint64_t& avail) const;
  // What is on the device node; an empty type when nothing is recognised
  // or the device cannot be read.
  virtual ZelProbe Probe(const std::string& device) const;

  // A file below the root ("/proc/self/mountinfo"); empty when unreadable.
  std::string ReadText(const std::string& path) const;
  // Names in a folder below the root, sorted; empty when there is none.
  std::vector<std::string> List(const std::string& path) const;
  bool Exists(const std::string& path) const;
  // The path a link below the root resolves to, with the root taken off.
  std::string Resolve(const std::string& path) const;

private:
  std::string m_root;
};

// Space(), given up after ms milliseconds: a network file system whose
// server is gone can block statvfs for good, and a listing must not. The
// call that was given up finishes on its own thread, holding the system.
bool ZelSpaceWithin(const std::shared_ptr<const ZelDiskSystem>& sys, const std::string& mountPoint, uint64_t& total,
                    uint64_t& avail, int ms);

// The source the listing uses from now on; NULL puts the machine back.
void ZelWmiSetDiskSystem(std::shared_ptr<ZelDiskSystem> system);
std::shared_ptr<ZelDiskSystem> ZelWmiDiskSystem();
