#include "platform/ado/workbook/Biff.h"

#include "platform/ado/workbook/ByteIo.h"

namespace zelado {
namespace workbook {

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 code units to UTF-8; a lone surrogate becomes U+FFFD.
void Utf16ToUtf8(const char16_t* p, size_t n, std::string& out) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = p[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
}

}  // namespace

std::u16string Utf16(const std::string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    uint32_t c = 0xFFFD;
    size_t n = b < 0x80 ? 1 : b >> 5 == 6 ? 2 : b >> 4 == 14 ? 3 : b >> 3 == 30 ? 4 : 0;
    if (n == 1) c = b;
    if (n > 1 && i + n <= s.size()) {
      c = b & (0x7F >> n);
      for (size_t k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    i += n ? n : 1;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

size_t PartEnd(std::string_view s, size_t at) {
  int depth = 0;
  for (size_t first = at; at + 4 <= s.size();) {
    uint16_t type = Get16(s, at);
    size_t len = Get16(s, at + 2);
    if (at + 4 + len > s.size()) Damaged("a record runs past the end of the workbook stream");
    if (at == first && type != kBof) Damaged("a part of the workbook stream does not start with BOF");
    at += 4 + len;
    if (type == kBof) ++depth;
    if (type == kEof && --depth == 0) return at;
  }
  Damaged("a part of the workbook stream has no EOF");
}

std::vector<Record> ReadPart(std::string_view s, size_t& at) {
  size_t end = PartEnd(s, at);
  std::vector<Record> out = SplitRecords(s.substr(at, end - at));
  at = end;
  return out;
}

std::vector<Record> SplitRecords(std::string_view s) {
  // Counted first, so that a sheet of a million cells is held in one
  // allocation of the right size.
  size_t count = 0;
  for (size_t p = 0; p + 4 <= s.size(); p += 4 + Get16(s, p + 2)) ++count;
  std::vector<Record> out;
  out.reserve(count);
  for (size_t p = 0; p + 4 <= s.size(); p += 4 + Get16(s, p + 2))
    out.push_back(Record{Get16(s, p), std::string(s.substr(p + 4, Get16(s, p + 2)))});
  return out;
}

void WriteRecords(const std::vector<Record>& records, std::string& out) {
  for (const Record& r : records) {
    Add16(out, r.type);
    Add16(out, static_cast<uint16_t>(r.data.size()));
    out += r.data;
  }
}

size_t SizeOf(const std::vector<Record>& records) {
  size_t n = 0;
  for (const Record& r : records) n += 4 + r.data.size();
  return n;
}

ContinuedReader::ContinuedReader(const std::vector<Record>& records, size_t first)
    : m_records(records), m_record(first), m_end(first + 1) {}

bool ContinuedReader::NextSegment() {
  if (m_record + 1 >= m_records.size() || m_records[m_record + 1].type != kContinue) return false;
  ++m_record;
  m_at = 0;
  m_end = m_record + 1;
  return true;
}

void ContinuedReader::Need(size_t n) {
  while (m_at == m_records[m_record].data.size())
    if (!NextSegment()) Damaged("a record ends inside its data");
  if (m_at + n > m_records[m_record].data.size()) Damaged("a value is split across records");
}

uint8_t ContinuedReader::U8() {
  Need(1);
  return static_cast<uint8_t>(m_records[m_record].data[m_at++]);
}

uint16_t ContinuedReader::U16() {
  uint16_t lo = U8();
  return static_cast<uint16_t>(lo | U8() << 8);
}

uint32_t ContinuedReader::U32() {
  uint32_t lo = U16();
  return lo | static_cast<uint32_t>(U16()) << 16;
}

void ContinuedReader::Skip(size_t n) {
  while (n > 0) {
    while (m_at == m_records[m_record].data.size())
      if (!NextSegment()) Damaged("a record ends inside its data");
    size_t take = std::min(n, m_records[m_record].data.size() - m_at);
    m_at += take;
    n -= take;
  }
}

void ContinuedReader::Chars(size_t count, bool high, std::string& utf8, std::string* raw16) {
  std::u16string units;
  while (units.size() < count) {
    if (m_at == m_records[m_record].data.size()) {
      if (!NextSegment()) Damaged("a text ends before its characters");
      high = U8() & 1;
    }
    const std::string& d = m_records[m_record].data;
    size_t width = high ? 2 : 1;
    size_t take = std::min(count - units.size(), (d.size() - m_at) / width);
    if (take == 0) Damaged("a character is split across records");
    for (size_t i = 0; i < take; ++i, m_at += width)
      units += high ? static_cast<char16_t>(Get16(d, m_at)) : static_cast<char16_t>(static_cast<uint8_t>(d[m_at]));
  }
  Utf16ToUtf8(units.data(), units.size(), utf8);
  if (raw16)
    for (char16_t c : units) Add16(*raw16, c);
}

std::string ReadString(std::string_view d, size_t& at, bool shortCount) {
  size_t head = shortCount ? 2 : 3;
  if (at + head > d.size()) Damaged("a text ends before its header");
  size_t count = shortCount ? static_cast<uint8_t>(d[at]) : Get16(d, at);
  uint8_t flags = static_cast<uint8_t>(d[at + head - 1]);
  at += head;
  size_t runs = 0, ext = 0;
  if (flags & 8) {
    if (at + 2 > d.size()) Damaged("a text ends before its header");
    runs = Get16(d, at);
    at += 2;
  }
  if (flags & 4) {
    if (at + 4 > d.size()) Damaged("a text ends before its header");
    ext = Get32(d, at);
    at += 4;
  }
  size_t width = flags & 1 ? 2 : 1;
  if (count * width > d.size() - at) Damaged("a text is longer than its record");
  std::string out;
  if (width == 2) {
    std::u16string units(count, u'\0');
    for (size_t i = 0; i < count; ++i) units[i] = Get16(d, at + i * 2);
    Utf16ToUtf8(units.data(), count, out);
  } else {
    for (size_t i = 0; i < count; ++i) AppendUtf8(out, static_cast<uint8_t>(d[at + i]));
  }
  at += count * width;
  at = std::min(d.size(), at + runs * 4 + std::min<size_t>(ext, d.size()));
  return out;
}

std::string EncodeString(const std::string& utf8, bool shortCount) {
  std::u16string units = Utf16(utf8);
  if (shortCount && units.size() > 255) units.resize(255);
  bool high = false;
  for (char16_t c : units) high = high || c > 0xFF;
  std::string out;
  if (shortCount)
    out += static_cast<char>(units.size());
  else
    Add16(out, static_cast<uint16_t>(units.size()));
  out += static_cast<char>(high ? 1 : 0);
  for (char16_t c : units) {
    if (high)
      Add16(out, c);
    else
      out += static_cast<char>(c);
  }
  return out;
}

}  // namespace workbook
}  // namespace zelado
