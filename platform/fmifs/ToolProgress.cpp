#include "platform/fmifs/ToolProgress.h"

namespace {
const char kPercent[] = "percent";
}

void ZelToolProgress::Emit() {
  if (m_value <= 100 && m_value > m_best) m_best = m_value;
  m_state = kNone;
}

int ZelToolProgress::Feed(const char* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    char c = data[i];
    bool digit = c >= '0' && c <= '9';
    switch (m_state) {
      case kDigits:
        if (digit) {
          if (m_value < 1000) m_value = m_value * 10 + (c - '0');
          continue;
        }
        if (c == '.') { m_state = kFraction; continue; }
        break;
      case kFraction:
        if (digit) continue;
        break;
      case kSpace:
        break;
      case kWord:
        if (c == kPercent[m_word]) {
          if (kPercent[++m_word] == '\0') Emit();
          continue;
        }
        m_state = kNone;
        break;
      case kNone:
        break;
    }
    // Here c ends whatever came before it.
    if (m_state == kDigits || m_state == kFraction || m_state == kSpace) {
      if (c == '%') { Emit(); continue; }
      if (c == ' ') { m_state = kSpace; continue; }
      if (c == kPercent[0]) { m_state = kWord; m_word = 1; continue; }
    }
    m_state = kNone;
    if (digit) {
      m_state = kDigits;
      m_value = c - '0';
    }
  }
  return m_best;
}
