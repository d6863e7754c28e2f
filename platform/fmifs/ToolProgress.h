// The percentage a formatting tool writes as it goes ("45%", "12.5 %",
// "45 percent"), read from its output in pieces of any size.
#pragma once

#include <cstddef>

class ZelToolProgress {
public:
  // Reads more output; answers the highest percentage seen so far (0 to
  // 100), or -1 while there has been none.
  int Feed(const char* data, size_t n);

private:
  void Emit();
  enum State { kNone, kDigits, kFraction, kSpace, kWord };
  State m_state = kNone;
  int m_value = 0;
  int m_word = 0;  // letters of "percent" matched
  int m_best = -1;
};
