// An advisory lock (flock) held on a file for one read-modify-write, so
// that two zelutil runs editing the same file do not lose each other's
// change. Saves replace the file by renaming a new one over it, so the
// lock is taken on whatever file the name leads to once the lock is held:
// a run that waited on the old file tries again on the new one.
#pragma once

#include <string>

namespace zelutil {

class FileLock {
 public:
  // A file that cannot be opened is not locked: the load that follows
  // reports why it cannot be read.
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int m_fd = -1;
};

}  // namespace zelutil
