#include "platform/base/Library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <mutex>
#include <string>

#include "platform/base/Utf8.h"
#include "platform/base/WinError.h"

namespace {

std::mutex g_lock;
std::string& OnlyFolder() {
  static std::string* s = new std::string;
  return *s;
}

// Windows names ignore case; a ".dll" name is taken in lower case.
std::string SharedObjectName(std::string name) {
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t n = lower.size();
  if (n > 4 && lower.compare(n - 4, 4, ".dll") == 0) return lower.substr(0, n - 4) + ".so";
  return name;
}

std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&LoadLibraryW), &info) || !info.dli_fname) return std::string();
  std::string path(info.dli_fname);
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void* Open(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

}  // namespace

void ZelSetModuleFolder(const char* folder) {
  std::lock_guard<std::mutex> g(g_lock);
  OnlyFolder() = folder ? folder : "";
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return NULL;
  }
  std::string name = SharedObjectName(ZelWideToUtf8(lpLibFileName));
  void* h = nullptr;
  if (name.find('/') != std::string::npos) {
    h = Open(name);
  } else {
    std::string only;
    {
      std::lock_guard<std::mutex> g(g_lock);
      only = OnlyFolder();
    }
    std::string folder = only.empty() ? OwnFolder() : only;
    std::string path = folder + "/" + name;
    if (!folder.empty() && access(path.c_str(), F_OK) == 0) h = Open(path);
    if (!h && only.empty()) h = Open(name);
  }
  if (!h) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return NULL;
  }
  return static_cast<HMODULE>(h);
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (!hModule || !lpProcName) {
    SetLastError(hModule ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return NULL;
  }
  void* p = dlsym(hModule, lpProcName);
  if (!p) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return NULL;
  }
  return reinterpret_cast<FARPROC>(p);
}

BOOL FreeLibrary(HMODULE hLibModule) {
  if (!hLibModule || dlclose(hLibModule) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
