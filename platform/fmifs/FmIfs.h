// The formatter module's interface: the entry FormatEx of "fmifs.dll"
// (LoadLibraryW finds it as fmifs.so beside the library) and its callback.
//
// FormatEx(root, media, file system, label, quick, cluster size, callback)
// formats the volume behind a drive letter ("E:\") as "FAT" (12 or 16 bits
// by size), "FAT32" or "NTFS", on the calling thread, and returns when it
// has ended. The callback gets PROGRESS with a pointer to the 32-bit
// percentage (at least 0 first and 100 on success) and, last, DONE with a
// pointer to a one-byte success flag. A zero answer to PROGRESS stops the
// format, which then ends with DONE 0. A mounted volume is unmounted first;
// one that is busy is left as it was and ends with DONE 0.
#pragma once

#include "platform/base/WinTypes.h"

typedef unsigned char BOOLEAN;

enum FMIFS_MEDIA_TYPE { FMIFS_UNKNOWN = 0, FMIFS_REMOVABLE = 11, FMIFS_HARDDISK = 12 };

enum CALLBACKCOMMAND { FMIFS_PROGRESS = 0, FMIFS_DONE = 11 };

typedef BOOLEAN (*PFMIFSCALLBACK)(int Command, DWORD SubAction, void* ActionInfo);
typedef void (*PFORMATEX)(wchar_t* DriveRoot, int MediaType, wchar_t* FileSystemName, wchar_t* Label,
                          BOOL QuickFormat, DWORD ClusterSize, PFMIFSCALLBACK Callback);
