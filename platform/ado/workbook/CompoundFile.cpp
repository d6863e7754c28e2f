#include "platform/ado/workbook/CompoundFile.h"

#include "platform/ado/AdoErrors.h"
#include "platform/ado/workbook/ByteIo.h"

#include <algorithm>

namespace zelado {
namespace workbook {

const char CompoundFile::kMagic[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};

void Damaged(const std::string& what) { Raise(ErrorKind::Connection, "the workbook is damaged: " + what); }

namespace {

const uint32_t kEnd = CompoundFile::kEnd;

// The sectors of a file being read, and the chains through them.
class Sectors {
public:
  Sectors(const std::string& bytes, unsigned shift) : m_bytes(bytes), m_size(size_t(1) << shift) {
    m_count = bytes.size() <= m_size ? 0 : (bytes.size() - m_size + m_size - 1) / m_size;
  }
  size_t Size() const { return m_size; }
  size_t Count() const { return m_count; }
  // Sector n, padded with zeros when the file ends inside it.
  std::string At(uint32_t n) const {
    std::string s;
    AppendTo(n, s);
    return s;
  }
  void AppendTo(uint32_t n, std::string& out) const {
    if (n >= m_count) Damaged("a sector number points past the end of the file");
    size_t from = (size_t(n) + 1) * m_size, have = std::min(m_size, m_bytes.size() - from);
    out.append(m_bytes, from, have);
    out.append(m_size - have, '\0');
  }
  // Whether the first `size` bytes of the chain's sectors follow one
  // another in the file and lie wholly inside it.
  bool InOneRun(const std::vector<uint32_t>& chain, size_t size) const {
    size_t need = (size + m_size - 1) / m_size;
    if (chain.size() < need) return false;
    for (size_t i = 1; i < need; ++i)
      if (chain[i] != chain[0] + i) return false;
    return (size_t(chain[0]) + 1) * m_size + size <= m_bytes.size();
  }
  // Follows a chain through `table`; a loop or a link out of range is
  // damage. Never longer than the table, so it ends.
  std::vector<uint32_t> Chain(uint32_t start, const std::vector<uint32_t>& table, size_t limit) const {
    std::vector<uint32_t> out;
    for (uint32_t n = start; n != kEnd; n = table[n]) {
      if (n >= table.size() || n >= limit) Damaged("a sector chain leaves the file");
      if (out.size() >= table.size()) Damaged("a sector chain runs in a loop");
      out.push_back(n);
    }
    return out;
  }

private:
  const std::string& m_bytes;
  size_t m_size;
  size_t m_count;
};

std::vector<uint32_t> Words(const std::string& s) {
  std::vector<uint32_t> w(s.size() / 4);
  for (size_t i = 0; i < w.size(); ++i) w[i] = Get32(s, i * 4);
  return w;
}

// Directory entries of `tree` reachable from `first` through left and
// right links, each once.
void Siblings(const std::vector<CompoundFile::Entry>& e, uint32_t first, std::vector<uint32_t>& out) {
  std::vector<uint32_t> stack{first};
  std::vector<bool> seen(e.size(), false);
  while (!stack.empty()) {
    uint32_t n = stack.back();
    stack.pop_back();
    if (n >= e.size() || seen[n]) continue;
    seen[n] = true;
    out.push_back(n);
    stack.push_back(e[n].left);
    stack.push_back(e[n].right);
  }
}

// The order the directory tree sorts names by: shorter first, then by
// upper-cased code units.
int CompareNames(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i] >= u'a' && a[i] <= u'z' ? a[i] - 32 : a[i];
    char16_t y = b[i] >= u'a' && b[i] <= u'z' ? b[i] - 32 : b[i];
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

CompoundFile CompoundFile::Parse(const std::string& bytes, const std::u16string& leave) {
  if (bytes.size() < 512 || std::memcmp(bytes.data(), kMagic, 8) != 0)
    Raise(ErrorKind::Connection, L"the file is not a workbook (no compound file header)");
  unsigned shift = Get16(bytes, 0x1E), miniShift = Get16(bytes, 0x20);
  if ((shift != 9 && shift != 12) || miniShift != 6) Damaged("unknown sector sizes in the header");
  Sectors sec(bytes, shift);
  size_t perSector = sec.Size() / 4;
  // The FAT's own sectors: 109 in the header, the rest in the DIFAT chain.
  std::vector<uint32_t> fatSectors;
  uint32_t nFat = Get32(bytes, 0x2C);
  if (nFat > sec.Count()) Damaged("more FAT sectors than the file has sectors");
  for (size_t i = 0; i < 109 && fatSectors.size() < nFat; ++i) fatSectors.push_back(Get32(bytes, 0x4C + i * 4));
  uint32_t dif = Get32(bytes, 0x44);
  for (size_t steps = 0; fatSectors.size() < nFat; ++steps) {
    if (steps > sec.Count()) Damaged("the DIFAT chain runs in a loop");
    std::vector<uint32_t> w = Words(sec.At(dif));
    for (size_t i = 0; i + 1 < perSector && fatSectors.size() < nFat; ++i) fatSectors.push_back(w[i]);
    dif = w[perSector - 1];
  }
  std::vector<uint32_t> fat;
  fat.reserve(fatSectors.size() * perSector);
  for (uint32_t s : fatSectors) {
    std::vector<uint32_t> w = Words(sec.At(s));
    fat.insert(fat.end(), w.begin(), w.end());
  }
  auto readChain = [&](uint32_t start, size_t size) {
    std::string out;
    out.reserve(size + sec.Size());  // a size the caller checked against the file's
    for (uint32_t n : sec.Chain(start, fat, sec.Count())) {
      if (out.size() >= size) break;
      sec.AppendTo(n, out);
    }
    if (out.size() < size) Damaged("a stream is longer than its sector chain");
    out.resize(size);
    return out;
  };
  std::string dir;
  for (uint32_t n : sec.Chain(Get32(bytes, 0x30), fat, sec.Count())) dir += sec.At(n);
  CompoundFile cf;
  for (size_t at = 0; at + 128 <= dir.size(); at += 128) {
    Entry e;
    e.raw = dir.substr(at, 128);
    size_t nameBytes = std::min<size_t>(Get16(e.raw, 64), 64);
    for (size_t i = 0; i + 1 < nameBytes; i += 2)
      if (char16_t c = Get16(e.raw, i)) e.name += c;
    uint8_t type = static_cast<uint8_t>(e.raw[66]);
    e.type = type == 1 || type == 2 || type == 5 ? static_cast<EntryType>(type) : kUnused;
    e.left = Get32(e.raw, 68);
    e.right = Get32(e.raw, 72);
    e.child = Get32(e.raw, 76);
    cf.m_entries.push_back(std::move(e));
  }
  if (cf.m_entries.empty() || cf.m_entries[0].type != kRoot) Damaged("the directory has no root entry");
  // Sizes beyond the file cannot be real: refused before anything is allocated.
  auto sizeOf = [&](const Entry& e) {
    uint64_t size = Get32(e.raw, 120) | (shift == 12 ? uint64_t(Get32(e.raw, 124)) << 32 : 0);
    if (size > bytes.size()) Damaged("a stream claims more bytes than the file has");
    return static_cast<size_t>(size);
  };
  Entry& root = cf.m_entries[0];
  std::string mini = readChain(Get32(root.raw, 116), sizeOf(root));
  std::vector<uint32_t> miniFat;
  if (Get32(bytes, 0x40) != 0 && Get32(bytes, 0x3C) != kEnd)
    for (uint32_t n : sec.Chain(Get32(bytes, 0x3C), fat, sec.Count())) {
      std::vector<uint32_t> w = Words(sec.At(n));
      miniFat.insert(miniFat.end(), w.begin(), w.end());
    }
  // Streams of a sound file share no sectors, so together they are never
  // larger than the file twice over (the small ones sit inside the root's).
  size_t total = 0;
  for (Entry& e : cf.m_entries)
    if (e.type == kStream && (total += sizeOf(e)) > 2 * bytes.size()) Damaged("streams overlap one another");
  int found = leave.empty() ? -1 : cf.Find(leave);
  const Entry* left = found >= 0 ? &cf.m_entries[static_cast<size_t>(found)] : nullptr;
  for (Entry& e : cf.m_entries) {
    if (e.type != kStream) continue;
    size_t size = sizeOf(e);
    uint32_t start = Get32(e.raw, 116);
    if (size == 0) continue;
    if (size >= kMiniCutoff && &e == left && sec.InOneRun(sec.Chain(start, fat, sec.Count()), size)) {
      e.inFile = (size_t(start) + 1) * sec.Size();
      e.inFileSize = size;
      continue;
    }
    if (size >= kMiniCutoff) {
      e.data = readChain(start, size);
      continue;
    }
    for (uint32_t n : sec.Chain(start, miniFat, mini.size() / kMiniSize)) {
      if (e.data.size() >= size) break;
      e.data.append(mini, size_t(n) * kMiniSize, kMiniSize);
    }
    if (size && e.data.size() < size) Damaged("a small stream is longer than its mini chain");
    e.data.resize(size);
  }
  return cf;
}

CompoundFile CompoundFile::Empty() {
  CompoundFile cf;
  Entry root;
  root.raw.assign(128, '\0');
  root.name = u"Root Entry";
  for (size_t i = 0; i < root.name.size(); ++i) Put16(root.raw, i * 2, root.name[i]);
  Put16(root.raw, 64, static_cast<uint16_t>((root.name.size() + 1) * 2));
  root.type = kRoot;
  root.raw[66] = kRoot;
  root.raw[67] = 1;  // black
  cf.m_entries.push_back(root);
  return cf;
}

int CompoundFile::Find(const std::u16string& name) const {
  std::vector<uint32_t> kids;
  Siblings(m_entries, m_entries[0].child, kids);
  for (uint32_t k : kids)
    if (m_entries[k].type == kStream && CompareNames(m_entries[k].name, name) == 0) return static_cast<int>(k);
  return -1;
}

int CompoundFile::AddStream(const std::u16string& name, std::string data) {
  Entry e;
  e.raw.assign(128, '\0');
  e.name = name.substr(0, 31);
  for (size_t i = 0; i < e.name.size(); ++i) Put16(e.raw, i * 2, e.name[i]);
  Put16(e.raw, 64, static_cast<uint16_t>((e.name.size() + 1) * 2));
  e.type = kStream;
  e.raw[66] = kStream;
  e.raw[67] = 1;  // black: a tree of black nodes is read by every reader
  e.data = std::move(data);
  uint32_t index = static_cast<uint32_t>(m_entries.size());
  uint32_t* link = &m_entries[0].child;
  for (size_t steps = 0; *link < m_entries.size() && steps < m_entries.size(); ++steps)
    link = CompareNames(e.name, m_entries[*link].name) < 0 ? &m_entries[*link].left : &m_entries[*link].right;
  *link = index;
  m_entries.push_back(std::move(e));
  return static_cast<int>(index);
}

}  // namespace workbook
}  // namespace zelado
