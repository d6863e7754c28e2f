// The command line of the Debian tool that makes a file system: mkfs.fat
// (dosfstools) for FAT and FAT32, mkntfs (ntfs-3g) for NTFS.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZelFormatRequest {
  std::string device;       // /dev/sdb1
  std::string fileSystem;   // FAT, FAT32, NTFS (any case)
  std::string label;        // UTF-8; empty for none
  bool quick = true;
  uint32_t clusterSize = 0; // bytes; 0 for the file system's default
  uint64_t deviceSize = 0;  // bytes
};

// The arguments, tool first; empty with why in error when the request
// cannot be made (an unknown file system, a cluster size that is not a
// power of two of at least 512, FAT on a volume beyond its 4 GB).
std::vector<std::string> ZelMkfsCommand(const ZelFormatRequest& r, std::string& error);
