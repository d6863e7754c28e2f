#include "platform/fmifs/MkfsCommand.h"

#include <cctype>

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool ValidCluster(uint32_t bytes) { return bytes >= 512 && (bytes & (bytes - 1)) == 0; }

}  // namespace

std::vector<std::string> ZelMkfsCommand(const ZelFormatRequest& r, std::string& error) {
  std::string fs = Upper(r.fileSystem);
  if (r.clusterSize != 0 && !ValidCluster(r.clusterSize)) {
    error = "cluster size " + std::to_string(r.clusterSize) + " is not a power of two of at least 512";
    return {};
  }
  std::vector<std::string> args;
  if (fs == "NTFS") {
    // -F: images and whole disks are formatted as they are, unpartitioned.
    args = {"mkntfs", "-F"};
    if (r.quick) args.push_back("-Q");
    if (!r.label.empty()) args.insert(args.end(), {"-L", r.label});
    if (r.clusterSize) args.insert(args.end(), {"-c", std::to_string(r.clusterSize)});
  } else if (fs == "FAT" || fs == "FAT32") {
    std::string bits = "32";
    if (fs == "FAT") {
      // Twelve bits up to 16 MB as the original does; sixteen bits reach
      // 4 GB only with 64 KB clusters.
      const uint64_t mb = 1024 * 1024;
      if (r.deviceSize > 4096 * mb) {
        error = "FAT holds at most 4 GB; use FAT32 or NTFS";
        return {};
      }
      bits = r.deviceSize <= 16 * mb ? "12" : "16";
    }
    args = {"mkfs.fat", "-I", "-F", bits};
    if (!r.quick) args.push_back("-c");  // a full format reads every block
    if (!r.label.empty()) args.insert(args.end(), {"-n", r.label});
    if (r.clusterSize) args.insert(args.end(), {"-S", "512", "-s", std::to_string(r.clusterSize / 512)});
  } else {
    error = "unknown file system \"" + r.fileSystem + "\"";
    return {};
  }
  args.push_back(r.device);
  return args;
}
