// A file system of a few pages, to fill: a tmpfs mounted on a temporary
// folder for the test's lifetime. Mounting needs root (or CAP_SYS_ADMIN);
// where it is refused, mounted() is false and the test says it skipped.
#pragma once

#include <string>

#include "support/TempDir.h"

namespace zeltest {

class SmallDisk {
public:
  explicit SmallDisk(size_t bytes = 64 * 1024);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return m_mounted; }
  std::string file(const std::string& name) const { return m_dir.file(name); }
  std::wstring wfile(const std::string& name) const { return m_dir.wfile(name); }
  // Fills what room is left with a file of its own, so the next write
  // fails for want of space.
  void Fill();

private:
  TempDir m_dir;
  bool m_mounted = false;
};

}  // namespace zeltest
