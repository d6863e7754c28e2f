// Little-endian reads and writes over byte strings, the one encoding of the
// file formats here. Reads are bounds-checked by their callers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zelado {
namespace workbook {

inline uint16_t Get16(std::string_view s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}
inline uint32_t Get32(std::string_view s, size_t at) { return Get16(s, at) | static_cast<uint32_t>(Get16(s, at + 2)) << 16; }
inline double GetDouble(std::string_view s, size_t at) {
  uint64_t bits = Get32(s, at) | static_cast<uint64_t>(Get32(s, at + 4)) << 32;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

inline void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
inline void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, at + 2, static_cast<uint16_t>(v >> 16));
}
inline void Add16(std::string& s, uint16_t v) {
  s.append(2, '\0');
  Put16(s, s.size() - 2, v);
}
inline void Add32(std::string& s, uint32_t v) {
  s.append(4, '\0');
  Put32(s, s.size() - 4, v);
}
inline void AddDouble(std::string& s, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof d);
  Add32(s, static_cast<uint32_t>(bits));
  Add32(s, static_cast<uint32_t>(bits >> 32));
}

// Raises Connection: "the workbook is damaged: <what>".
[[noreturn]] void Damaged(const std::string& what);

}  // namespace workbook
}  // namespace zelado
