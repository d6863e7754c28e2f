#include "platform/base/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The process's umask without changing it (umask() would race other
// threads creating files).
mode_t CurrentUmask() {
  FILE* f = fopen("/proc/self/status", "re");
  mode_t mask = 022;
  if (!f) return mask;
  char line[256];
  while (fgets(line, sizeof line, f)) {
    if (strncmp(line, "Umask:", 6) == 0) {
      mask = static_cast<mode_t>(strtoul(line + 6, nullptr, 8));
      break;
    }
  }
  fclose(f);
  return mask;
}

}  // namespace

std::string ZelAtomicFile::Resolve(const std::string& target) {
  std::string path = target;
  // A bounded walk, as the kernel's own: a link cycle ends here.
  for (int hops = 0; hops < 40; ++hops) {
    char buf[PATH_MAX];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return path;  // not a link (or gone): write it as named
    buf[n] = '\0';
    std::string link(buf);
    path = link[0] == '/' ? link : DirOf(path) + "/" + link;
  }
  return path;
}

ZelAtomicFile::~ZelAtomicFile() { Discard(); }

bool ZelAtomicFile::Open(const std::string& target) {
  Discard();
  m_target = Resolve(target);
  struct stat st;
  if (stat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return false;
    }
    m_fd = open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return m_fd >= 0;
  }
  std::string name = m_target.substr(m_target.rfind('/') == std::string::npos ? 0 : m_target.rfind('/') + 1);
  // Hidden and marked, so a crash's leftover is recognisable; short enough
  // that a 255-byte name still fits.
  m_temp = DirOf(m_target) + "/." + name.substr(0, 200) + ".zeltmp-XXXXXX";
  std::string templ = m_temp;
  int fd = mkostemp(&templ[0], O_CLOEXEC);
  if (fd < 0) {
    m_temp.clear();
    return false;
  }
  m_temp = templ;
  m_fd = fd;
  return true;
}

bool ZelAtomicFile::Write(const void* data, size_t n) {
  if (m_fd < 0) {
    errno = EBADF;
    return false;
  }
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = ::write(m_fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool ZelAtomicFile::Commit() {
  if (m_fd < 0) {
    errno = EBADF;
    return false;
  }
  if (m_temp.empty()) {
    int rc = close(m_fd);
    m_fd = -1;
    return rc == 0;
  }
  struct stat st;
  mode_t mode;
  if (stat(m_target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
    // Keep the owner too where we may (root editing a user's file).
    // A user who may not give the file away keeps it as their own.
    int kept = fchown(m_fd, st.st_uid, st.st_gid);
    (void)kept;
  } else {
    mode = 0666 & ~CurrentUmask();
  }
  int err = 0;
  if (fchmod(m_fd, mode) != 0 || fsync(m_fd) != 0) err = errno;
  if (close(m_fd) != 0 && !err) err = errno;
  m_fd = -1;
  if (!err && rename(m_temp.c_str(), m_target.c_str()) != 0) err = errno;
  if (err) {
    unlink(m_temp.c_str());
    m_temp.clear();
    errno = err;
    return false;
  }
  m_temp.clear();
  // The rename itself survives a crash only once the folder is on disk.
  int dfd = open(DirOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

void ZelAtomicFile::Discard() {
  if (m_fd >= 0) {
    close(m_fd);
    m_fd = -1;
  }
  if (!m_temp.empty()) {
    int saved = errno;
    unlink(m_temp.c_str());
    errno = saved;
    m_temp.clear();
  }
}
