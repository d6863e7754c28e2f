// The library's load and unload. The loading thread gets COM in a
// single-threaded apartment for the library's whole life, and the library
// joins the framework's chain of extension modules; nothing else runs at
// load time.
#include <dlfcn.h>

#include "platform/base/Com.h"
#include "platform/mfc/Module.h"

namespace {

HMODULE g_hModule = NULL;
AFX_EXTENSION_MODULE g_extension = {};

// As on Windows, a module's handle is its load address; any address inside
// the library finds it.
HMODULE OwnModule() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&OwnModule), &info) == 0) return NULL;
  return info.dli_fbase;
}

// A failed registration cannot fail the load here as it would on Windows;
// the library then stays out of the framework's chain.
__attribute__((constructor)) void ProcessAttach() {
  g_hModule = OwnModule();
  CoInitialize(NULL);
  if (!AfxInitExtensionModule(g_extension, g_hModule)) return;
  // Owned by the framework's chain: AfxTermExtensionModule deletes it.
  new CDynLinkLibrary(g_extension);
}

__attribute__((destructor)) void ProcessDetach() {
  CoUninitialize();
  AfxTermExtensionModule(g_extension);
  g_hModule = NULL;
}

}  // namespace
