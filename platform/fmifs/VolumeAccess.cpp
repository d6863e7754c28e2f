#include "platform/fmifs/VolumeAccess.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <sstream>

#include "platform/wmi/MountInfo.h"

namespace {

typedef int (*DriveDeviceFn)(wchar_t, char*, size_t);

std::string Why(const std::string& what, int e) { return what + ": " + strerror(e); }

}  // namespace

bool ZelDeviceOfRoot(const wchar_t* root, std::string& device, std::string& error) {
  if (!root || !std::iswalpha(static_cast<wint_t>(root[0])) || root[1] != L':' ||
      (root[2] && ((root[2] != L'\\' && root[2] != L'/') || root[3]))) {
    error = "not a drive root";
    return false;
  }
  // The letters are the loading process's: its library answers for them.
  auto fn = reinterpret_cast<DriveDeviceFn>(dlsym(RTLD_DEFAULT, "ZelDriveDevice"));
  if (!fn) {
    error = "no disk listing in this process";
    return false;
  }
  char path[4096];
  if (fn(root[0], path, sizeof path) <= 0) {
    error = std::string("no volume behind ") + static_cast<char>(std::towupper(static_cast<wint_t>(root[0]))) + ":";
    return false;
  }
  device = path;
  return true;
}

bool ZelTakeVolume(const std::string& device, uint64_t& size, std::string& error) {
  struct stat st {};
  if (stat(device.c_str(), &st) != 0) {
    error = Why(device, errno);
    return false;
  }
  if (!S_ISBLK(st.st_mode)) {
    error = device + " is not a block device";
    return false;
  }
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::string> points;
  for (const ZelMount& m : ZelParseMountInfo(text.str()))
    if (m.major == major(st.st_rdev) && m.minor == minor(st.st_rdev)) points.push_back(m.mountPoint);
  std::sort(points.begin(), points.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& p : points) {
    if (umount2(p.c_str(), 0) != 0) {
      error = Why("cannot unmount " + p, errno);
      return false;
    }
  }
  // An exclusive open fails while anything else has the device: a mount
  // elsewhere, a swap area, another formatter.
  int fd = open(device.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
  if (fd < 0) {
    error = Why(device, errno);
    return false;
  }
  uint64_t bytes = 0;
  bool ok = ioctl(fd, BLKGETSIZE64, &bytes) == 0;
  int e = errno;
  close(fd);
  if (!ok) {
    error = Why("size of " + device, e);
    return false;
  }
  size = bytes;
  return true;
}
