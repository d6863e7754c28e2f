// The lines of /proc/<pid>/mountinfo: one mount each, as
//   id parent major:minor root mount-point options [tags...] - type source super-options
// with space, tab, newline and backslash in paths written as \040 \011
// \012 \134.
#pragma once

#include <string>
#include <vector>

struct ZelMount {
  unsigned major = 0, minor = 0;
  std::string root;        // the part of the file system mounted
  std::string mountPoint;
  std::string type;        // ext4, vfat, nfs4, fuse.sshfs ...
  std::string source;      // /dev/sdb1, server:/export, //host/share ...
};

// The well-formed lines of text, in order; a line that is not one is
// skipped rather than guessed at.
std::vector<ZelMount> ZelParseMountInfo(const std::string& text);
