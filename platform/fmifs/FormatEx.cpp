// The module's entry points. It links nothing of the library: the drive
// letters come from the loading process (VolumeAccess.cpp); the mount-table
// reader and the text conversion are compiled in.
#include <mutex>
#include <string>

#include "platform/base/Utf8.h"
#include "platform/fmifs/FmIfs.h"
#include "platform/fmifs/MkfsCommand.h"
#include "platform/fmifs/ToolProgress.h"
#include "platform/fmifs/ToolRun.h"
#include "platform/fmifs/VolumeAccess.h"

#define ZEL_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_errorLock;
std::string g_lastError;

bool Format(const ZelFormatRequest& base, const wchar_t* root, PFMIFSCALLBACK cb, std::string& error) {
  ZelFormatRequest r = base;
  if (!ZelDeviceOfRoot(root, r.device, error)) return false;
  std::vector<std::string> args = ZelMkfsCommand(r, error);  // a bad request touches nothing
  if (args.empty()) return false;
  if (!ZelTakeVolume(r.device, r.deviceSize, error)) return false;
  args = ZelMkfsCommand(r, error);  // now with the size, which picks FAT's width
  if (args.empty()) return false;
  ZelToolProgress progress;
  int shown = 0;
  bool ok = ZelRunTool(args, [&](const char* data, size_t n) {
    int p = progress.Feed(data, n);
    // 100 is said only once the tool has succeeded.
    if (p > shown && p < 100) {
      shown = p;
      DWORD value = static_cast<DWORD>(p);
      return cb(FMIFS_PROGRESS, 0, &value) != 0;
    }
    return true;
  }, error);
  if (ok) {
    DWORD value = 100;
    cb(FMIFS_PROGRESS, 0, &value);
  }
  return ok;
}

}  // namespace

ZEL_MODULE_ENTRY void FormatEx(wchar_t* DriveRoot, int MediaType, wchar_t* FileSystemName, wchar_t* Label,
                               BOOL QuickFormat, DWORD ClusterSize, PFMIFSCALLBACK Callback) {
  (void)MediaType;  // the device says what it is
  if (!Callback) return;
  ZelFormatRequest r;
  r.fileSystem = ZelWideToUtf8(FileSystemName);
  r.label = ZelWideToUtf8(Label);
  r.quick = QuickFormat != FALSE;
  r.clusterSize = ClusterSize;
  DWORD zero = 0;
  std::string error;
  bool ok = Callback(FMIFS_PROGRESS, 0, &zero) != 0 && Format(r, DriveRoot, Callback, error);
  if (!ok && error.empty()) error = "stopped by the caller";
  {
    std::lock_guard<std::mutex> g(g_errorLock);
    g_lastError = ok ? std::string() : error;
  }
  BOOLEAN done = ok ? 1 : 0;
  Callback(FMIFS_DONE, 0, &done);
}

// Why the last FormatEx of the process failed; empty after a success.
ZEL_MODULE_ENTRY const char* ZelFormatExLastError() {
  static thread_local std::string copy;
  std::lock_guard<std::mutex> g(g_errorLock);
  copy = g_lastError;
  return copy.c_str();
}
