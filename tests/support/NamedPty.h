// A pseudo-terminal named as COM<n> for the process, for one test. Header
// only: the tests that use it link the platform layer that names devices.
#pragma once

#include <string>

#include "platform/base/DosDevice.h"
#include "support/PtyPair.h"

namespace zeltest {

struct NamedPty {
  explicit NamedPty(unsigned n) : number(n), name(L"COM" + std::to_wstring(n)) {
    DefineDosDeviceW(0, name.c_str(), std::wstring(pty.path().begin(), pty.path().end()).c_str());
  }
  ~NamedPty() { DefineDosDeviceW(DDD_REMOVE_DEFINITION, name.c_str(), NULL); }
  NamedPty(const NamedPty&) = delete;
  NamedPty& operator=(const NamedPty&) = delete;

  PtyPair pty;
  unsigned number;
  std::wstring name;
};

}  // namespace zeltest
