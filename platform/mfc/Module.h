// Registration of the library as an extension module of the framework.
//
// The chain of modules is process-wide and starts empty; nothing joins it at
// load time. A CDynLinkLibrary joins on construction and leaves on
// destruction. AfxTermExtensionModule deletes the objects of its module, so
// they are made with new and not deleted by their maker.
#pragma once

#include "ZELExport.h"

#include "platform/base/WinTypes.h"

struct AFX_EXTENSION_MODULE {
  BOOL bInitialized;
  HMODULE hModule;
  HMODULE hResource;
};

// Answers FALSE for a module already initialised with another handle, or a
// NULL handle; TRUE otherwise.
ZEL_EXPORT BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
// Ends the module: deletes its CDynLinkLibrary objects (with bAll, every
// object of the chain).
ZEL_EXPORT void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

class ZEL_EXPORT CDynLinkLibrary {
public:
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
  CDynLinkLibrary(HINSTANCE hModule, HINSTANCE hResource);
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
  virtual ~CDynLinkLibrary();

  HMODULE m_hModule;
  HMODULE m_hResource;
  BOOL m_bSystem;
  // TRUE while the object is in the chain.
  BOOL IsInChain() const;
};

// The number of objects in the chain (for diagnostics and tests).
ZEL_EXPORT int ZelExtensionChainSize();
