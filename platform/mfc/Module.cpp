#include "platform/mfc/Module.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Chain {
  std::mutex mutex;
  std::vector<CDynLinkLibrary*> members;
};
// Made on first use and never destroyed: a module may leave the chain from
// another static object's destructor at exit.
Chain& TheChain() {
  static Chain* c = new Chain;
  return *c;
}

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
  if (!hModule) return FALSE;
  if (state.bInitialized) return state.hModule == hModule ? TRUE : FALSE;
  state.hModule = hModule;
  state.hResource = hModule;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
  std::vector<CDynLinkLibrary*> doomed;
  {
    Chain& c = TheChain();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (CDynLinkLibrary* p : c.members)
      if (bAll || p->m_hModule == state.hModule) doomed.push_back(p);
  }
  // Each leaves the chain in its destructor.
  for (CDynLinkLibrary* p : doomed) delete p;
  state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem) {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.members.push_back(this);
}

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE hModule, HINSTANCE hResource)
    : m_hModule(hModule), m_hResource(hResource), m_bSystem(FALSE) {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.members.push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.members.erase(std::remove(c.members.begin(), c.members.end(), this), c.members.end());
}

BOOL CDynLinkLibrary::IsInChain() const {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  return std::find(c.members.begin(), c.members.end(), this) != c.members.end() ? TRUE : FALSE;
}

int ZelExtensionChainSize() {
  Chain& c = TheChain();
  std::lock_guard<std::mutex> lock(c.mutex);
  return static_cast<int>(c.members.size());
}
