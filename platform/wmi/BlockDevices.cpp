#include "platform/wmi/BlockDevices.h"

#include <cstdlib>
#include <set>

namespace {

std::string FirstLine(const std::string& s) {
  size_t end = s.find_first_of("\r\n");
  std::string line = s.substr(0, end);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  return line;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string() : BaseName(path.substr(0, slash));
}

uint64_t Sectors(const std::string& text) {
  std::string s = FirstLine(text);
  if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos || s.size() > 19) return 0;
  return std::strtoull(s.c_str(), nullptr, 10);
}

}  // namespace

std::map<std::string, ZelBlockDevice> ZelListBlockDevices(const ZelDiskSystem& sys) {
  const std::string base = "/sys/class/block/";
  std::map<std::string, ZelBlockDevice> byNumber;
  std::set<std::string> split;  // disks that have partitions
  for (const std::string& name : sys.List(base)) {
    std::string entry = base + name;
    std::string number = FirstLine(sys.ReadText(entry + "/dev"));
    if (number.find(':') == std::string::npos) continue;
    ZelBlockDevice d;
    d.name = name;
    d.partition = sys.Exists(entry + "/partition");
    d.disk = name;
    if (d.partition) {
      // A partition's folder sits inside its disk's folder.
      std::string disk = ParentName(sys.Resolve(entry));
      if (!disk.empty()) d.disk = disk;
      split.insert(d.disk);
    }
    std::string diskEntry = base + d.disk;
    // The kernel counts sizes in 512-byte sectors whatever the device's own.
    d.size = Sectors(sys.ReadText(entry + "/size")) * 512;
    if (d.disk.compare(0, 4, "loop") == 0) {
      bool backed = !FirstLine(sys.ReadText(diskEntry + "/loop/backing_file")).empty();
      d.removable = backed;
      d.detachedLoop = !backed;
    } else {
      d.removable = FirstLine(sys.ReadText(diskEntry + "/removable")) == "1";
    }
    d.optical = d.disk.compare(0, 2, "sr") == 0 || FirstLine(sys.ReadText(diskEntry + "/device/type")) == "5";
    if (d.optical) d.removable = false;
    byNumber[number] = d;
  }
  for (auto& kv : byNumber)
    if (!kv.second.partition && split.count(kv.second.name)) kv.second.hasPartitions = true;
  return byNumber;
}
