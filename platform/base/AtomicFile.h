// A file written beside its target and renamed over it on Commit, so that a
// reader (or a crash, or a full disk) sees the old content or the new, never
// a torn file. Everything the library writes to a named file goes through
// here.
//
//   ZelAtomicFile f;
//   if (!f.Open(path) || !f.Write(data, n) || !f.Commit()) -> errno says why
//
// The target's permissions are kept (a new file gets 0666 less the umask, as
// open() would give it); a symbolic link is followed and its target replaced,
// so the link stays a link. Destroying an uncommitted file removes the
// temporary and leaves the target as it was. A target that exists and is
// not a regular file (a terminal, a pipe, /dev/null) cannot be replaced:
// it is written directly; a folder is refused with EISDIR.
#pragma once

#include "ZELExport.h"

#include <cstddef>
#include <string>

class ZEL_EXPORT ZelAtomicFile {
public:
  ZelAtomicFile() = default;
  ~ZelAtomicFile();
  ZelAtomicFile(const ZelAtomicFile&) = delete;
  ZelAtomicFile& operator=(const ZelAtomicFile&) = delete;

  // target: a UTF-8 path. false with errno set when the folder cannot take
  // a new file (missing, not writable, full).
  bool Open(const std::string& target);
  bool IsOpen() const { return m_fd >= 0; }
  int Fd() const { return m_fd; }
  const std::string& Target() const { return m_target; }

  // All n bytes or false with errno set.
  bool Write(const void* data, size_t n);
  // Flushes, gives the temporary the target's permissions and renames it
  // over the target. false with errno set; the target is then untouched.
  bool Commit();
  // Drops the temporary; the target stays as it was.
  void Discard();

  // The path a write to target really replaces: symbolic links followed.
  static std::string Resolve(const std::string& target);

private:
  int m_fd = -1;
  std::string m_target;  // resolved
  std::string m_temp;    // empty when writing the target directly
};
