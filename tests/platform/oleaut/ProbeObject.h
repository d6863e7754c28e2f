// A counted object for checking references taken and released.
#pragma once

#include "platform/oleaut/OleAut.h"

struct Probe : IDispatch {
  explicit Probe(int* alive) : m_alive(alive) { ++*m_alive; }
  ~Probe() override { --*m_alive; }
  int* m_alive;
};
