#include "platform/base/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>

#include "platform/base/Utf8.h"
#include "platform/base/WinError.h"

namespace {

std::mutex g_folderLock;
std::string& Folder() {
  static std::string* s = new std::string;
  return *s;
}

std::string LockFolder() {
  std::lock_guard<std::mutex> g(g_folderLock);
  if (!Folder().empty()) return Folder();
  struct stat st {};
  return (stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode)) ? "/dev/shm" : "/tmp";
}

// A name may hold a namespace prefix ("Global\x") or any character; only
// the path separators need a stand-in in a file name.
std::string FileName(const std::wstring& name) {
  std::string s = ZelWideToUtf8(name.c_str(), name.size());
  for (char& c : s)
    if (c == '/' || c == '\\') c = '_';
  return "zel-mutex-" + s + ".lock";
}

DWORD ErrnoToError(int e) {
  switch (e) {
    case EACCES: case EPERM: case EROFS: return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG: return ERROR_INVALID_NAME;
    case ENOENT: return ERROR_PATH_NOT_FOUND;
    default: return ERROR_GEN_FAILURE;
  }
}

class NamedMutex : public ZelKernelObject {
public:
  NamedMutex(int fd, bool owner) : m_fd(fd), m_owner(owner) {}
  ~NamedMutex() override {
    if (m_fd >= 0) close(m_fd);  // closing drops the lock if we held it
  }
  bool Release() {
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_owner) return false;
    m_owner = false;
    return true;
  }

private:
  int m_fd;
  std::mutex m_lock;
  bool m_owner;
};

// An unnamed mutex: ownership only, within this process.
class PrivateMutex : public NamedMutex {
public:
  explicit PrivateMutex(bool owner) : NamedMutex(-1, owner) {}
};

}  // namespace

void ZelSetNamedMutexFolder(const char* folder) {
  std::lock_guard<std::mutex> g(g_folderLock);
  Folder() = folder ? folder : "";
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  if (!lpName || !*lpName) {
    SetLastError(ERROR_SUCCESS);
    return ZelRegisterHandle(std::make_shared<PrivateMutex>(bInitialOwner != FALSE));
  }
  std::wstring name(lpName);
  if (name.size() > 260) {
    SetLastError(ERROR_INVALID_NAME);
    return NULL;
  }
  std::string path = LockFolder() + "/" + FileName(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    SetLastError(ErrnoToError(errno));
    return NULL;
  }
  // Processes of other users share the name as well.
  (void)fchmod(fd, 0666);
  int rc;
  do rc = flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int e = errno;
    if (e != EWOULDBLOCK) {
      close(fd);
      SetLastError(ErrnoToError(e));
      return NULL;
    }
    // Held by another handle: ours refers to the name without holding it.
    close(fd);
    HANDLE h = ZelRegisterHandle(std::make_shared<NamedMutex>(-1, false));
    SetLastError(ERROR_ALREADY_EXISTS);
    return h;
  }
  HANDLE h = ZelRegisterHandle(std::make_shared<NamedMutex>(fd, bInitialOwner != FALSE));
  SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL ReleaseMutex(HANDLE hMutex) {
  auto m = ZelLookupHandleAs<NamedMutex>(hMutex);
  if (!m) return FALSE;
  if (!m->Release()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}
