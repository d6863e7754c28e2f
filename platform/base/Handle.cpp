#include "platform/base/Handle.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// One lock and one condition for every wait: waits on several objects at
// once stay simple, and the library waits on few objects at a time.
struct WaitState {
  std::mutex mutex;
  std::condition_variable changed;
};
// Both tables are made on first use and never destroyed, so that a thread
// still running at exit never meets a destroyed lock.
WaitState& Waits() {
  static WaitState* s = new WaitState;
  return *s;
}

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<uintptr_t, std::shared_ptr<ZelKernelObject>> objects;
  uintptr_t next = 0x100;
};
HandleTable& Table() {
  static HandleTable* t = new HandleTable;
  return *t;
}

class Event : public ZelKernelObject {
public:
  Event(bool manual, bool initial) : m_manual(manual), m_signaled(initial) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return m_signaled; }
  void OnAcquired() override {
    if (!m_manual) m_signaled = false;
  }
  void Set(bool on) { m_signaled = on; }

private:
  bool m_manual;
  bool m_signaled;
};

}  // namespace

HANDLE ZelRegisterHandle(std::shared_ptr<ZelKernelObject> obj) {
  if (!obj) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return NULL;
  }
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  uintptr_t h = t.next;
  t.next += 4;  // numbers never come back, so a stale handle finds nothing
  t.objects.emplace(h, std::move(obj));
  return reinterpret_cast<HANDLE>(h);
}

// The object of a handle; with remove, the handle is closed as well.
static std::shared_ptr<ZelKernelObject> Find(HANDLE h, bool remove) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(h));
  if (it == t.objects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::shared_ptr<ZelKernelObject> obj = it->second;
  if (remove) t.objects.erase(it);
  return obj;
}

std::shared_ptr<ZelKernelObject> ZelLookupHandle(HANDLE h) { return Find(h, false); }

// The object itself goes, if this was its last reference, outside the lock.
BOOL CloseHandle(HANDLE hObject) {
  std::shared_ptr<ZelKernelObject> obj = Find(hObject, true);
  if (!obj) return FALSE;
  obj->OnClose();
  return TRUE;
}

void ZelLockWaits() { Waits().mutex.lock(); }

void ZelUnlockWaits() {
  Waits().mutex.unlock();
  Waits().changed.notify_all();
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<ZelKernelObject>> objs;
  for (DWORD i = 0; i < nCount; ++i) {
    auto o = ZelLookupHandle(lpHandles[i]);
    if (!o || !o->IsWaitable()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    objs.push_back(std::move(o));
  }
  // Satisfies the wait if it can, with the wait lock held.
  auto attempt = [&](DWORD& result) {
    if (bWaitAll) {
      for (auto& o : objs)
        if (!o->IsSignaled()) return false;
      for (auto& o : objs) o->OnAcquired();
      result = WAIT_OBJECT_0;
      return true;
    }
    for (DWORD i = 0; i < nCount; ++i) {
      if (objs[i]->IsSignaled()) {
        objs[i]->OnAcquired();
        result = WAIT_OBJECT_0 + i;
        return true;
      }
    }
    return false;
  };
  WaitState& w = Waits();
  std::unique_lock<std::mutex> lock(w.mutex);
  DWORD result = WAIT_TIMEOUT;
  if (dwMilliseconds == INFINITE) {
    w.changed.wait(lock, [&] { return attempt(result); });
    return result;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
  if (w.changed.wait_until(lock, deadline, [&] { return attempt(result); })) return result;
  return WAIT_TIMEOUT;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR) {
  return ZelRegisterHandle(std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE));
}

static BOOL SetEventState(HANDLE hEvent, bool on) {
  auto e = ZelLookupHandleAs<Event>(hEvent);
  if (!e) return FALSE;
  ZelSignalChanged([&] { e->Set(on); });
  return TRUE;
}

BOOL SetEvent(HANDLE hEvent) { return SetEventState(hEvent, true); }
BOOL ResetEvent(HANDLE hEvent) { return SetEventState(hEvent, false); }
