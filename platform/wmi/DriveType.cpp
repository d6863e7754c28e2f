#include "platform/wmi/DriveType.h"

#include <cstring>
#include <cwctype>

#include "platform/wmi/Volumes.h"

namespace {

// The volume of a letter, from a fresh listing.
bool Find(wchar_t letter, ZelVolume& out) {
  wint_t l = std::towupper(static_cast<wint_t>(letter));
  if (l < L'A' || l > L'Z') return false;
  for (ZelVolume& v : ZelListVolumes(ZelWmiDiskSystem())) {
    if (static_cast<wint_t>(v.letter) == l) {
      out = std::move(v);
      return true;
    }
  }
  return false;
}

}  // namespace

UINT GetDriveTypeW(LPCWSTR lpRootPathName) {
  if (!lpRootPathName || !lpRootPathName[0] || lpRootPathName[1] != L':') return DRIVE_NO_ROOT_DIR;
  const wchar_t* rest = lpRootPathName + 2;
  if (*rest == L'\\' || *rest == L'/') ++rest;
  if (*rest) return DRIVE_NO_ROOT_DIR;
  ZelVolume v;
  return Find(lpRootPathName[0], v) ? static_cast<UINT>(v.driveType) : DRIVE_NO_ROOT_DIR;
}

int ZelDriveDevice(wchar_t letter, char* path, size_t size) {
  ZelVolume v;
  if (!path || !Find(letter, v) || v.device.compare(0, 5, "/dev/") != 0 || v.driveType == 4) return 0;
  if (v.device.size() + 1 > size) return 0;
  std::memcpy(path, v.device.c_str(), v.device.size() + 1);
  return static_cast<int>(v.device.size());
}
