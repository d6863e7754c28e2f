#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zelutil {

FileLock::FileLock(const std::string& path) {
  for (;;) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    int rc;
    do rc = flock(fd, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    struct stat held, named;
    if (rc != 0 || fstat(fd, &held) != 0) {
      close(fd);
      return;
    }
    // Still the file the name leads to: the lock guards it.
    if (stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
      m_fd = fd;
      return;
    }
    close(fd);
    if (stat(path.c_str(), &named) != 0) return;  // gone: the load reports it
  }
}

FileLock::~FileLock() {
  if (m_fd >= 0) close(m_fd);
}

}  // namespace zelutil
