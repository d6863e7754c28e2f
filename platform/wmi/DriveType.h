// What a drive letter stands for, from the disk listing (Volumes.h).
#pragma once

#include <cstddef>

#include "ZELExport.h"
#include "platform/base/WinTypes.h"

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

// The drive type of a root ("E:\", "E:" or "E:/"); DRIVE_NO_ROOT_DIR for a
// letter without a volume or a text that is not a root.
ZEL_EXPORT UINT GetDriveTypeW(LPCWSTR lpRootPathName);

// For the formatter module, which finds it by name in the process: the
// device node behind a letter (its mount points are in the mount table)
// into path, NUL-terminated. 0 when the letter has no block device or path
// is too small; else the length.
extern "C" ZEL_EXPORT int ZelDriveDevice(wchar_t letter, char* path, size_t size);
