// Modules loaded at run time: LoadLibraryW, GetProcAddress, FreeLibrary
// over dlopen.
//
// A name ending in ".dll" stands for the shared object of the same base
// name ending in ".so" ("fmifs.dll" is fmifs.so). A name without a slash is
// looked for first in the folders added by ZelAddModuleFolder, then beside
// the library that holds this code (where the build installs its modules),
// then where the dynamic linker looks. A name with a slash is a path.
#pragma once

#include "ZELExport.h"
#include "platform/base/WinTypes.h"

typedef void (*FARPROC)();

// NULL with ERROR_MOD_NOT_FOUND when nothing loads.
ZEL_EXPORT HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// NULL with ERROR_PROC_NOT_FOUND when the module has no such entry.
ZEL_EXPORT FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
ZEL_EXPORT BOOL FreeLibrary(HMODULE hLibModule);

// For programs whose modules are not beside the library (tests that link
// the code statically): a folder searched first. Empty clears the list.
void ZelAddModuleFolder(const char* folder);
