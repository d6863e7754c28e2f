#include "support/LoopDevice.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace zeltest {

LoopDevice::LoopDevice(uint64_t bytes) {
  if (geteuid() != 0) {
    m_why = "loop devices need root; the real-disk tests are skipped";
    return;
  }
  std::string image = m_dir.file("disk.img");
  int fd = open(image.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    if (fd >= 0) close(fd);
    m_why = "cannot make the disk image " + image;
    return;
  }
  close(fd);
  int status = 0;
  std::string out = RunShell("losetup -f --show '" + image + "'", &status);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  if (status != 0 || out.compare(0, 9, "/dev/loop") != 0) {
    m_why = "no loop device could be attached (" + out + "); the real-disk tests are skipped";
    return;
  }
  m_device = out;
}

LoopDevice::~LoopDevice() {
  if (m_device.empty()) return;
  // Whatever a failed test left mounted goes first, or the detach waits.
  RunShell("umount -q '" + m_device + "'");
  RunShell("losetup -d '" + m_device + "'");
}

}  // namespace zeltest
