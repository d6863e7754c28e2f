// The local side of a transfer. Transfers move 4096-byte chunks (the unit
// of progress and of cancellation), but a system call per chunk would cost
// more than the network does, so the file is read and written here in large
// blocks behind the chunks. A chunk is handed over in place, inside the
// block: on loopback the copies are what a transfer costs, and a chunk
// buffer between the block and the network would be one more.
#pragma once

#include <vector>

#include "platform/mfc/File.h"

class FtpLocalFile {
public:
  explicit FtpLocalFile(CFile& file) : m_file(file), m_buf(kBlock) {}

  // The next chunk of up to nCount bytes, at p until the next call; 0 at
  // the end. Throws as CFile does.
  UINT Next(const char*& p, UINT nCount);
  // Room for a chunk of up to nCount bytes (at most the block), counted as
  // written by Commit. Throws as CFile does.
  char* Room(UINT nCount);
  void Commit(UINT n) { m_nLen += n; }
  // Writes what is held; throws as CFile does.
  void Flush();
  // Writes what is held after a failure elsewhere; a second failure is
  // not worth more than the first, so it is dropped.
  void FlushQuietly() noexcept;

private:
  static constexpr size_t kBlock = 256 * 1024;
  CFile& m_file;
  std::vector<char> m_buf;
  size_t m_nPos = 0, m_nLen = 0;
};
