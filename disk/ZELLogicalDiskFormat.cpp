// Formatting, under the machine-wide mutex and the process-wide state that
// routes the formatter's plain-function callback to the formatting object.
#include <cstring>
#include <mutex>
#include <vector>

#include "ZELGF.h"
#include "ZELLogicalDisk.h"
#include "platform/base/Library.h"
#include "platform/base/NamedMutex.h"
#include "platform/fmifs/FmIfs.h"
#include "platform/wmi/DriveType.h"

namespace {

const wchar_t kMutexName[] = L"ZELLogicalDisk_Format_Mutex";

// The two are set and cleared under g_stateLock, so that two threads
// starting a format at once cannot both pass the check, nor the refused one
// clear the handle of the other.
std::mutex g_stateLock;
HANDLE g_hFormatMutex = NULL;
ZELLogicalDisk* g_pFormattingDisk = NULL;

BOOLEAN FormatExCallback(int command, DWORD subAction, void* info) {
  ZELLogicalDisk* disk = g_pFormattingDisk;
  if (!disk) return TRUE;
  return disk->OnFormatCallback(command, subAction, info) ? 1 : 0;
}

const wchar_t* FileSystemName(ZEL_LDFILESYSTEM fs) {
  switch (fs) {
    case ZEL_LDFS_NTFS: return L"NTFS";
    case ZEL_LDFS_FAT: return L"FAT";
    case ZEL_LDFS_FAT32: return L"FAT32";
  }
  return NULL;
}

// Takes the mutex for this process; false when it is taken anywhere.
bool TakeMutex() {
  std::lock_guard<std::mutex> g(g_stateLock);
  if (g_hFormatMutex) return false;
  HANDLE h = CreateMutexW(NULL, TRUE, kMutexName);
  if (!h) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(h);
    return false;
  }
  g_hFormatMutex = h;
  return true;
}

void GiveMutex() {
  std::lock_guard<std::mutex> g(g_stateLock);
  ReleaseMutex(g_hFormatMutex);
  CloseHandle(g_hFormatMutex);
  g_hFormatMutex = NULL;
}

}  // namespace

int ZELLogicalDisk::Format(char drive, char* label, bool quick, ZEL_LDFILESYSTEM fileSystem,
                           ZELCallBack* pCallBack) {
  const wchar_t* fsName = FileSystemName(fileSystem);
  // The letter widened as the original does: a char taken as signed.
  wchar_t root[4] = {static_cast<wchar_t>(static_cast<signed char>(drive)), L':', L'\\', 0};
  if (!fsName || GetDriveTypeW(root) != DRIVE_REMOVABLE) return FALSE;
  if (!TakeMutex()) return FALSE;
  HMODULE hLib = LoadLibraryW(L"fmifs.dll");
  if (!hLib) {
    GiveMutex();
    return FALSE;
  }
  auto formatEx = reinterpret_cast<PFORMATEX>(GetProcAddress(hLib, "FormatEx"));
  if (formatEx) {
    std::vector<wchar_t> wideLabel;
    if (label) {
      int n = ZELGF::MultiToWide(label, NULL, 0);
      if (n > 0) {
        wideLabel.assign(static_cast<size_t>(n), L'\0');
        ZELGF::MultiToWide(label, wideLabel.data(), n);
      }
    }
    g_pFormattingDisk = this;
    m_pCallBack = pCallBack;
    m_bFormatting = TRUE;
    formatEx(root, FMIFS_REMOVABLE, const_cast<wchar_t*>(fsName), wideLabel.empty() ? NULL : wideLabel.data(),
             quick ? TRUE : FALSE, 0, FormatExCallback);
    m_pCallBack = NULL;
    g_pFormattingDisk = NULL;
  }
  FreeLibrary(hLib);
  GiveMutex();
  return TRUE;
}

int ZELLogicalDisk::Format_FAT(char drive, char* label, bool quick, ZELCallBack* pCallBack) {
  return Format(drive, label, quick, ZEL_LDFS_FAT, pCallBack);
}

int ZELLogicalDisk::Format_FAT32(char drive, char* label, bool quick, ZELCallBack* pCallBack) {
  return Format(drive, label, quick, ZEL_LDFS_FAT32, pCallBack);
}

int ZELLogicalDisk::Format_NTFS(char drive, char* label, bool quick, ZELCallBack* pCallBack) {
  return Format(drive, label, quick, ZEL_LDFS_NTFS, pCallBack);
}

int ZELLogicalDisk::IsFormatting() { return m_bFormatting; }

int ZELLogicalDisk::OnFormatCallback(int command, unsigned long subAction, void* info) {
  (void)subAction;
  ZELGF::PeekMsg(NULL);
  if (command == FMIFS_PROGRESS && info) {
    if (m_pCallBack) {
      __ZEL_NOTIFY n{1, 0, 1, static_cast<LONG_PTR>(*static_cast<DWORD*>(info))};
      m_pCallBack->CallBack(n);
    }
  } else if (command == FMIFS_DONE && info) {
    m_bFormatResult = *static_cast<BYTE*>(info);
    m_bFormatting = FALSE;
    if (m_pCallBack) {
      __ZEL_NOTIFY n{2, 0, 2, static_cast<LONG_PTR>(m_bFormatResult)};
      m_pCallBack->CallBack(n);
    }
  }
  return TRUE;
}
