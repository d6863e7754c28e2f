// A sparse disk image in a temporary folder attached as a loop device, for
// tests that format real volumes. Needs root and a free loop device; when
// either is missing, ok() is false and why() says so, so that the test can
// skip with that reason.
#pragma once

#include "support/Shell.h"

#include <cstdint>
#include <string>

#include "support/TempDir.h"

namespace zeltest {

class LoopDevice {
public:
  explicit LoopDevice(uint64_t bytes = 64ull << 20);
  ~LoopDevice();
  LoopDevice(const LoopDevice&) = delete;
  LoopDevice& operator=(const LoopDevice&) = delete;

  bool ok() const { return !m_device.empty(); }
  const std::string& why() const { return m_why; }
  const std::string& device() const { return m_device;  }  // /dev/loopN
  const std::string& folder() const { return m_dir.path(); }

private:
  TempDir m_dir;
  std::string m_device;
  std::string m_why;
};


}  // namespace zeltest
