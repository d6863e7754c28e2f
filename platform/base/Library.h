// Modules loaded at run time: LoadLibraryW, GetProcAddress, FreeLibrary
// over dlopen.
//
// A name ending in ".dll" stands for the shared object of the same base
// name in lower case ending in ".so" ("FMIFS.DLL" is fmifs.so). A name
// without a slash is looked for beside the library that holds this code
// (where the build installs its modules), then where the dynamic linker
// looks. A name with a slash is a path.
#pragma once

#include "ZELExport.h"
#include "platform/base/WinTypes.h"

typedef void (*FARPROC)();

// NULL with ERROR_MOD_NOT_FOUND when nothing loads.
ZEL_EXPORT HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// NULL with ERROR_PROC_NOT_FOUND when the module has no such entry.
ZEL_EXPORT FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
ZEL_EXPORT BOOL FreeLibrary(HMODULE hLibModule);

// For tests: names without a slash are looked for in this folder only.
// NULL or empty puts the usual search back.
ZEL_EXPORT void ZelSetModuleFolder(const char* folder);
