// DOS device names: what a COM port or a drive letter stands for in this
// process. DefineDosDeviceW(0, L"COM3", L"/dev/ttyUSB0") names the device
// behind COM3; DefineDosDeviceW(0, L"E:", L"/dev/loop0") the volume behind
// E:. Names compare without regard to case; "\\.\" before a name is the
// same name. A later definition of a name hides the earlier one until it is
// removed (DDD_REMOVE_DEFINITION), as the original's stack of definitions.
#pragma once

#include <string>

#include "ZELExport.h"
#include "platform/base/WinTypes.h"

#define DDD_RAW_TARGET_PATH 0x00000001
#define DDD_REMOVE_DEFINITION 0x00000002
#define DDD_EXACT_MATCH_ON_REMOVE 0x00000004
#define DDD_NO_BROADCAST_SYSTEM 0x00000008

// FALSE with ERROR_INVALID_PARAMETER for an empty name or, when defining,
// an empty target; with ERROR_FILE_NOT_FOUND when removing a name that has
// no definition (or, with DDD_EXACT_MATCH_ON_REMOVE, none with that target).
ZEL_EXPORT BOOL DefineDosDeviceW(DWORD dwFlags, LPCWSTR lpDeviceName, LPCWSTR lpTargetPath);

// The current target of a name, as the original's first string; 0 with
// ERROR_FILE_NOT_FOUND when the name is not defined, with
// ERROR_INSUFFICIENT_BUFFER when ucchMax cannot hold it and its two
// terminators.
ZEL_EXPORT DWORD QueryDosDeviceW(LPCWSTR lpDeviceName, LPWSTR lpTargetPath, DWORD ucchMax);

// For the stand-ins: the UTF-8 target of a defined name ("COM3", "E:",
// "\\.\COM3"), or an empty string when the name is not defined.
ZEL_EXPORT std::string ZelDosDeviceTarget(const wchar_t* name);
