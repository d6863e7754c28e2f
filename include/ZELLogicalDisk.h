// ZELLogicalDisk: the machine's logical disks, and formatting removable ones.
//
// Enumeration asks the management service (class Win32_LogicalDisk) and
// keeps one record per disk in service order. It initialises COM itself,
// multithreaded, on every call, so it answers 0 on a thread that is in a
// single-threaded apartment (the thread that loaded the library is one).
//
// Format formats a removable disk through the formatter module, loaded for
// the call, under the machine-wide mutex "ZELLogicalDisk_Format_Mutex": a
// second format, in this process or another, is refused at once. Progress
// and the outcome go to the callback (field 1: 1 progress, 2 done; field 3
// the same; field 4 the percentage or the success flag). During both, the
// calling thread's window messages are pumped.
//
// Nothing is logged; the class has no base.
#pragma once

#include "ZELCallBack.h"
#include "ZELExport.h"
#include "platform/base/DosDevice.h"
#include "platform/mfc/Array.h"
#include "platform/mfc/String.h"
#include "platform/wmi/Wbem.h"

struct __ZEL_PHYSICAL_DISK {
  LONG nDriveType;      // 2 removable, 3 fixed, 4 network, 5 optical
  LONG nMediaType;      // 11 removable media, 12 fixed; 0 when not given
  CString strName;      // "E:"
  CString strFileSystem;  // FAT, FAT32, NTFS, ...; empty when none
  LONGLONG nSize;       // bytes; 0 when not given
  LONGLONG nFreeSpace;  // bytes; 0 when not given
};

enum ZEL_LDFILESYSTEM { ZEL_LDFS_NTFS = 0, ZEL_LDFS_FAT = 1, ZEL_LDFS_FAT32 = 2 };

class ZEL_EXPORT ZELLogicalDisk {
public:
  ZELLogicalDisk();
  virtual ~ZELLogicalDisk();

  // Each replaces the list and answers the number of records.
  int EnumerateLogicalDisk();
  int EnumerateRemovalDisk();
  int GetCount();
  // FALSE, with info untouched, unless 0 <= index < GetCount().
  int GetDriveInfo(int index, __ZEL_PHYSICAL_DISK& info);

  // FALSE when refused (not a removable disk, a format already running
  // anywhere, no formatter); TRUE once the formatter has returned, whatever
  // its outcome. label is UTF-8 text or NULL.
  int Format(char drive, char* label, bool quick, ZEL_LDFILESYSTEM fileSystem, ZELCallBack* pCallBack);
  int Format_FAT(char drive, char* label, bool quick, ZELCallBack* pCallBack);
  int Format_FAT32(char drive, char* label, bool quick, ZELCallBack* pCallBack);
  int Format_NTFS(char drive, char* label, bool quick, ZELCallBack* pCallBack);
  int IsFormatting();
  // The formatter's callback, routed here; always TRUE.
  int OnFormatCallback(int command, unsigned long subAction, void* info);

protected:
  int EnumerateDisk(int bRemovableOnly);
  int GetDriveInfo(IWbemClassObject* pObject, __ZEL_PHYSICAL_DISK& info, int bRemovableOnly);

  CArray<__ZEL_PHYSICAL_DISK, __ZEL_PHYSICAL_DISK&> m_arrDisk;
  ZELCallBack* m_pCallBack;
  int m_bFormatResult;
  int m_bFormatting;
};
