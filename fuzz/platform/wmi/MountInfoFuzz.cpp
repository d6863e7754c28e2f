// The mount table and a formatting tool's output are text from outside:
// neither parser may crash, hang or read past what it was given, and what
// they answer must stay in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fmifs/ToolProgress.h"
#include "platform/wmi/MountInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const ZelMount& m : ZelParseMountInfo(text))
    if (m.mountPoint.empty() || m.mountPoint[0] != '/') std::abort();
  ZelToolProgress progress;
  int last = -1;
  for (size_t i = 0; i < size; i += 7) {
    int p = progress.Feed(text.data() + i, size - i < 7 ? size - i : 7);
    if (p < last || p > 100) std::abort();
    last = p;
  }
  return 0;
}
