// The logical disks of the machine, as the management service lists them:
//
// - every mounted block device (once, at its shortest mount point), every
//   network mount, and the root file system whatever it is;
// - the partitions, or whole unsplit disks, of removable disks, attached
//   images and optical drives that are not mounted, so that a fresh stick
//   can be listed and formatted;
// - any volume that a drive letter was defined for.
//
// Codes are the original platform's: drive type 2 removable, 3 fixed,
// 4 network, 5 optical; media type 11 removable media, 12 fixed, none (-1)
// when unknown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wmi/DiskSystem.h"

#define ZEL_MEDIA_NONE (-1)

struct ZelVolume {
  char letter = 0;          // 'C'; 0 until a letter is given
  std::string device;       // /dev/sdb1, or the source of a network mount
  std::string mountPoint;   // empty when not mounted
  std::string fileSystem;   // FAT, FAT32, NTFS, exFAT, ext4 ...; empty when none
  std::string label;        // where the file system was probed
  int driveType = 3;
  int mediaType = ZEL_MEDIA_NONE;
  bool hasSize = false;     // Size and FreeSpace are only given when known
  uint64_t size = 0;
  bool hasFree = false;
  uint64_t freeSpace = 0;
};

// The volumes with letters, in letter order.
std::vector<ZelVolume> ZelListVolumes(const std::shared_ptr<const ZelDiskSystem>& system);
// The name users know a file system by, from the mount table's or
// blkid's type and blkid's version.
std::string ZelFileSystemName(const std::string& type, const std::string& version);
