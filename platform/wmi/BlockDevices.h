// The block devices of /sys/class/block, each with what decides how it is
// listed: the disk it belongs to, whether that disk is removable, an image
// (a loop device with a backing file) or an optical drive.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/wmi/DiskSystem.h"

struct ZelBlockDevice {
  std::string name;       // sdb1
  std::string disk;       // sdb; its own name for a whole disk
  bool partition = false;
  bool hasPartitions = false;  // a whole disk that is split
  bool removable = false;      // removable media, or an attached image
  bool optical = false;
  bool detachedLoop = false;   // a loop device with nothing behind it
  uint64_t size = 0;           // bytes
};

// Keyed by "major:minor".
std::map<std::string, ZelBlockDevice> ZelListBlockDevices(const ZelDiskSystem& sys);
