// Helpers of the serial tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "ZELSerial.h"
#include "support/NamedPty.h"

namespace serialtest {

// A ZELSerial whose queue a test can look at without taking from it.
struct Serial : ZELSerial {
  int QueuedBytes() {
    m_csRxBuffer.Lock();
    int n = 0;
    for (INT_PTR i = 0; i < m_arrRxBuffer.GetSize(); ++i) n += m_arrRxBuffer[i].nLength - m_arrRxBuffer[i].nOffset;
    m_csRxBuffer.Unlock();
    return n;
  }
};

// Polls cond for up to 10 s (the watch thread runs on its own time).
inline bool Eventually(const std::function<bool()>& cond) {
  for (int i = 0; i < 2000; ++i) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return cond();
}

// Takes n bytes out of the object's queue, waiting for them to arrive.
inline std::string GetAll(ZELSerial& s, size_t n) {
  std::string out;
  Eventually([&] {
    unsigned char buf[4096];
    int got = s.Get(buf, sizeof buf);
    out.append(reinterpret_cast<char*>(buf), static_cast<size_t>(got));
    return out.size() >= n;
  });
  return out;
}

inline ZEL_LOG_RECORD LastRecord(ZELSerial& s) { return s.GetLog(s.GetLogCount() - 1); }

}  // namespace serialtest
