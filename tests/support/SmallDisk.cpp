#include "support/SmallDisk.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace zeltest {

SmallDisk::SmallDisk(size_t bytes) {
  std::string opts = "size=" + std::to_string(bytes) + ",mode=0777";
  m_mounted = geteuid() == 0 && mount("zeltest", m_dir.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, opts.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
  if (m_mounted) umount2(m_dir.path().c_str(), MNT_DETACH);
}

void SmallDisk::Fill() {
  FILE* f = std::fopen(file(".filler").c_str(), "wb");
  if (!f) return;
  std::vector<char> block(4096, 'x');
  while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
  }
  // A last partial page may still fit single bytes.
  while (std::fputc('x', f) != EOF && std::fflush(f) == 0) {
  }
  std::fclose(f);
}

}  // namespace zeltest
