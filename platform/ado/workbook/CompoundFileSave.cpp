// CompoundFile::Serialize: a new file in 512-byte sectors, laid out as the
// FAT (and DIFAT when the FAT outgrows the header), the directory, the mini
// FAT, the mini stream, then each large stream in one run of sectors.
#include "platform/ado/workbook/ByteIo.h"
#include "platform/ado/workbook/CompoundFile.h"

namespace zelado {
namespace workbook {

std::string CompoundFile::Serialize() const {
  std::vector<Entry> entries = m_entries;
  // Small streams go to the mini stream, the rest to whole sectors.
  std::string mini;
  std::vector<uint32_t> miniFat;
  std::vector<Entry*> big;
  for (Entry& e : entries) {
    Put32(e.raw, 68, e.left);
    Put32(e.raw, 72, e.right);
    Put32(e.raw, 76, e.child);
    Put32(e.raw, 124, 0);
    if (e.type != kStream) continue;
    Put32(e.raw, 120, static_cast<uint32_t>(e.data.size()));
    if (e.data.empty()) {
      Put32(e.raw, 116, kEnd);
    } else if (e.data.size() < kMiniCutoff) {
      uint32_t first = static_cast<uint32_t>(miniFat.size());
      size_t pieces = (e.data.size() + kMiniSize - 1) / kMiniSize;
      for (size_t i = 0; i < pieces; ++i) miniFat.push_back(i + 1 < pieces ? first + i + 1 : kEnd);
      mini += e.data;
      mini.resize(miniFat.size() * kMiniSize, '\0');
      Put32(e.raw, 116, first);
    } else {
      big.push_back(&e);
    }
  }
  auto sectorsFor = [](size_t n) { return (n + kSector - 1) / kSector; };
  size_t dirSecs = sectorsFor(entries.size() * 128);
  size_t miniFatSecs = sectorsFor(miniFat.size() * 4);
  size_t miniSecs = sectorsFor(mini.size());
  size_t data = dirSecs + miniFatSecs + miniSecs;
  for (Entry* e : big) data += sectorsFor(e->data.size());
  size_t fatSecs = 0, difSecs = 0;
  while (fatSecs * 128 < data + fatSecs + difSecs) {
    ++fatSecs;
    difSecs = fatSecs > 109 ? (fatSecs - 109 + 126) / 127 : 0;
  }
  std::vector<uint32_t> fat(fatSecs * 128, kFree);
  uint32_t next = 0;
  for (size_t i = 0; i < fatSecs; ++i) fat[next++] = kFatSect;
  for (size_t i = 0; i < difSecs; ++i) fat[next++] = kDifSect;
  auto place = [&](size_t count) {
    if (count == 0) return kEnd;
    uint32_t first = next;
    for (size_t i = 0; i < count; ++i, ++next) fat[next] = i + 1 < count ? next + 1 : kEnd;
    return first;
  };
  uint32_t dirStart = place(dirSecs);
  uint32_t miniFatStart = place(miniFatSecs);
  Put32(entries[0].raw, 116, place(miniSecs));
  Put32(entries[0].raw, 120, static_cast<uint32_t>(mini.size()));
  for (Entry* e : big) Put32(e->raw, 116, place(sectorsFor(e->data.size())));
  std::string header(512, '\0');
  std::memcpy(&header[0], kMagic, 8);
  Put16(header, 0x18, 0x3E);
  Put16(header, 0x1A, 3);
  Put16(header, 0x1C, 0xFFFE);
  Put16(header, 0x1E, 9);
  Put16(header, 0x20, 6);
  Put32(header, 0x2C, static_cast<uint32_t>(fatSecs));
  Put32(header, 0x30, dirStart);
  Put32(header, 0x38, kMiniCutoff);
  Put32(header, 0x3C, miniFatSecs ? miniFatStart : kEnd);
  Put32(header, 0x40, static_cast<uint32_t>(miniFatSecs));
  Put32(header, 0x44, difSecs ? static_cast<uint32_t>(fatSecs) : kEnd);
  Put32(header, 0x48, static_cast<uint32_t>(difSecs));
  for (size_t i = 0; i < 109; ++i) Put32(header, 0x4C + i * 4, i < fatSecs ? static_cast<uint32_t>(i) : kFree);
  std::string out = header;
  out.reserve(512 + (fatSecs + difSecs + data) * kSector);
  for (uint32_t w : fat) Add32(out, w);
  for (size_t d = 0; d < difSecs; ++d) {
    for (size_t i = 0; i < 127; ++i) {
      size_t n = 109 + d * 127 + i;
      Add32(out, n < fatSecs ? static_cast<uint32_t>(n) : kFree);
    }
    Add32(out, d + 1 < difSecs ? static_cast<uint32_t>(fatSecs + d + 1) : kEnd);
  }
  auto pad = [&]() { out.resize(512 + sectorsFor(out.size() - 512) * kSector, '\0'); };
  for (const Entry& e : entries) out += e.raw;
  size_t dirBytes = dirSecs * kSector;
  for (size_t n = entries.size() * 128; n < dirBytes; n += 128) {
    std::string unused(128, '\0');
    Put32(unused, 68, kFree);
    Put32(unused, 72, kFree);
    Put32(unused, 76, kFree);
    out += unused;
  }
  miniFat.resize(miniFatSecs * 128, kFree);
  for (uint32_t w : miniFat) Add32(out, w);
  out += mini;
  pad();
  for (Entry* e : big) {
    out += e->data;
    pad();
  }
  return out;
}

}  // namespace workbook
}  // namespace zelado
