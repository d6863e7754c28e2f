// What the comm calls ask of a Linux terminal, over its descriptor: line
// settings both ways (any rate through the driver's free-rate form),
// queues, flushes, modem lines and error counters. Each answers false with
// the last error set.
#pragma once

#include "platform/comm/Comm.h"

// The driver's receive error counters (not every device keeps them).
struct ZelLineCounts {
  int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

// Raw bytes both ways: no echo, no line editing, no translation.
bool ZelTermMakeRaw(int fd);
// Fills the line fields of dcb from the device; the fields Linux keeps no
// place for come from kept (when its DCBlength is set) or from defaults.
bool ZelTermGetState(int fd, const DCB& kept, DCB& dcb);
// Applies dcb and checks that the device took it.
bool ZelTermSetState(int fd, const DCB& dcb);
bool ZelTermQueues(int fd, DWORD& inQueue, DWORD& outQueue);
bool ZelTermCounts(int fd, ZelLineCounts& counts);
bool ZelTermFlush(int fd, bool rx, bool tx);
bool ZelTermEscape(int fd, DWORD func);
// Whether DSR is up; true on a device without modem lines.
bool ZelTermDsrUp(int fd);
