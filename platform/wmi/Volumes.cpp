#include "platform/wmi/Volumes.h"

#include <climits>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/wmi/BlockDevices.h"
#include "platform/wmi/DriveLetters.h"
#include "platform/wmi/MountInfo.h"

namespace {

const std::set<std::string>& NetworkTypes() {
  static const std::set<std::string> s = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "ceph", "afs",
                                          "fuse.sshfs", "fuse.glusterfs", "fuse.davfs2", "glusterfs", "davfs"};
  return s;
}

std::string Number(unsigned major, unsigned minor) { return std::to_string(major) + ":" + std::to_string(minor); }

void SetKind(ZelVolume& v, const ZelBlockDevice& d) {
  if (d.optical) {
    v.driveType = 5;
    v.mediaType = 11;
  } else if (d.removable) {
    v.driveType = 2;
    v.mediaType = 11;
  } else {
    v.driveType = 3;
    v.mediaType = 12;
  }
}

// A device that is not mounted: what blkid finds on it, and the device's
// size when a file system is there. The free space is not known unmounted.
ZelVolume Unmounted(const ZelDiskSystem& sys, const ZelBlockDevice& d) {
  ZelVolume v;
  v.device = "/dev/" + d.name;
  SetKind(v, d);
  ZelProbe p = sys.Probe(v.device);
  v.fileSystem = ZelFileSystemName(p.type, p.version);
  v.label = p.label;
  if (!v.fileSystem.empty() && d.size > 0) {
    v.hasSize = true;
    v.size = d.size;
  }
  return v;
}

// Some file systems (btrfs) show an anonymous device number in the mount
// table; their source names the device instead.
std::map<std::string, ZelBlockDevice>::iterator ByName(std::map<std::string, ZelBlockDevice>& devices,
                                                       const std::string& source) {
  if (source.compare(0, 5, "/dev/") != 0) return devices.end();
  char buf[PATH_MAX];
  std::string path = realpath(source.c_str(), buf) ? buf : source;
  std::string name = path.substr(path.rfind('/') + 1);
  for (auto it = devices.begin(); it != devices.end(); ++it)
    if (it->second.name == name) return it;
  return devices.end();
}

}  // namespace

std::string ZelFileSystemName(const std::string& type, const std::string& version) {
  static const std::map<std::string, std::string> names = {
      {"msdos", "FAT"}, {"ntfs", "NTFS"}, {"ntfs3", "NTFS"}, {"exfat", "exFAT"}, {"iso9660", "CDFS"},
      {"udf", "UDF"}, {"xfs", "XFS"}, {"btrfs", "Btrfs"}, {"hfsplus", "HFS+"}, {"nfs", "NFS"},
      {"nfs4", "NFS"}, {"cifs", "SMB"}, {"smb3", "SMB"}, {"smbfs", "SMB"}, {"fuse.sshfs", "SSHFS"}};
  if (type == "vfat") return version == "FAT32" ? "FAT32" : "FAT";
  auto it = names.find(type);
  return it == names.end() ? type : it->second;
}

std::vector<ZelVolume> ZelListVolumes(const std::shared_ptr<const ZelDiskSystem>& system) {
  const ZelDiskSystem& sys = *system;
  std::map<std::string, ZelBlockDevice> devices = ZelListBlockDevices(sys);
  std::vector<ZelVolume> volumes;
  std::map<std::string, size_t> byDevice;  // a device mounted twice is one volume
  std::set<std::string> mounted;
  for (const ZelMount& m : ZelParseMountInfo(sys.ReadText("/proc/self/mountinfo"))) {
    ZelVolume v;
    v.mountPoint = m.mountPoint;
    v.device = m.source;
    std::string type = m.type;
    auto dev = m.major != 0 ? devices.find(Number(m.major, m.minor)) : ByName(devices, m.source);
    if (dev != devices.end()) {
      v.device = "/dev/" + dev->second.name;
      SetKind(v, dev->second);
      mounted.insert(dev->first);
    } else if (NetworkTypes().count(m.type)) {
      v.driveType = 4;
    } else if (m.major == 0 && m.mountPoint != "/") {
      continue;  // proc, tmpfs, cgroups and the like hold no disk
    } else {
      v.mediaType = 12;
    }
    std::string version;
    if (dev != devices.end() && (type == "vfat" || type == "fuseblk")) {
      ZelProbe p = sys.Probe(v.device);
      if (!p.type.empty()) type = p.type;
      version = p.version;
      v.label = p.label;
    }
    v.fileSystem = ZelFileSystemName(type, version);
    auto seen = byDevice.find(v.device);
    if (seen != byDevice.end()) {
      ZelVolume& old = volumes[seen->second];
      if (old.mountPoint != "/" && v.mountPoint.size() < old.mountPoint.size()) old = v;
      continue;
    }
    byDevice[v.device] = volumes.size();
    volumes.push_back(std::move(v));
  }
  for (ZelVolume& v : volumes) {
    uint64_t total = 0, avail = 0;
    bool known = v.driveType == 4 ? ZelSpaceWithin(system, v.mountPoint, total, avail, 2000)
                                  : sys.Space(v.mountPoint, total, avail);
    if (known) {
      v.hasSize = v.hasFree = true;
      v.size = total;
      v.freeSpace = avail;
    }
  }
  std::vector<ZelBlockDevice> spare;  // listed only when a letter names them
  for (const auto& kv : devices) {
    const ZelBlockDevice& d = kv.second;
    if (mounted.count(kv.first) || d.hasPartitions || d.detachedLoop) continue;
    if (d.removable || d.optical)
      volumes.push_back(Unmounted(sys, d));
    else
      spare.push_back(d);
  }
  ZelGiveDriveLetters(volumes, spare, [&sys](const ZelBlockDevice& d) { return Unmounted(sys, d); });
  return volumes;
}
