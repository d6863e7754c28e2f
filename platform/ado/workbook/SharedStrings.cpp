#include "platform/ado/workbook/SharedStrings.h"

#include "platform/ado/workbook/ByteIo.h"

namespace zelado {
namespace workbook {

void SharedStrings::Parse(const std::vector<Record>& records, size_t at) {
  ContinuedReader in(records, at);
  m_uses = in.U32();
  uint32_t unique = in.U32();
  // A string takes three bytes at least: a count past that is a lie.
  size_t bytes = 0;
  for (size_t i = at; i < records.size() && (i == at || records[i].type == kContinue); ++i) bytes += records[i].data.size();
  if (unique > bytes / 3) Damaged("the shared string table counts more strings than it holds");
  m_text.reserve(unique);
  m_extra.reserve(unique);
  for (uint32_t i = 0; i < unique; ++i) {
    uint16_t count = in.U16();
    uint8_t flags = in.U8();
    Extra x;
    uint32_t phonetic = 0;
    if (flags & 8) x.runCount = in.U16();
    if (flags & 4) phonetic = in.U32();
    std::string text;
    in.Chars(count, flags & 1, text);
    for (uint32_t r = 0; r < x.runCount * 4u; ++r) x.runs += static_cast<char>(in.U8());
    if (phonetic > bytes) Damaged("a shared string's phonetic data is longer than the table");
    for (uint32_t r = 0; r < phonetic; ++r) x.phonetic += static_cast<char>(in.U8());
    m_text.push_back(std::move(text));
    m_extra.push_back(std::move(x));
  }
}

uint32_t SharedStrings::Intern(const std::string& utf8) {
  if (m_index.empty())
    for (size_t i = 0; i < m_text.size(); ++i) m_index.emplace(m_text[i], static_cast<uint32_t>(i));
  auto it = m_index.find(utf8);
  if (it != m_index.end()) return it->second;
  uint32_t index = static_cast<uint32_t>(m_text.size());
  m_text.push_back(utf8);
  m_extra.emplace_back();
  m_index.emplace(utf8, index);
  m_changed = true;
  return index;
}

namespace {

// Writes into records of at most kMaxRecord bytes, starting CONTINUE
// records as they fill.
class Writer {
public:
  explicit Writer(std::vector<Record>& out) : m_out(out) {}
  size_t Room() const { return kMaxRecord - m_out.back().data.size(); }
  void Continue() { m_out.push_back(Record{kContinue, std::string()}); }
  void Bytes(const std::string& s, size_t unit) {
    for (size_t at = 0; at < s.size();) {
      if (Room() < unit) Continue();
      size_t take = std::min(s.size() - at, Room() / unit * unit);
      m_out.back().data.append(s, at, take);
      at += take;
    }
  }

private:
  std::vector<Record>& m_out;
};

}  // namespace

std::vector<Record> SharedStrings::Build(uint32_t uses) const {
  std::vector<Record> out{Record{kSst, std::string()}};
  Add32(out[0].data, uses);
  Add32(out[0].data, static_cast<uint32_t>(m_text.size()));
  Writer w(out);
  for (size_t i = 0; i < m_text.size(); ++i) {
    const Extra& x = m_extra[i];
    std::u16string units = Utf16(m_text[i]);
    bool high = false;
    for (char16_t c : units) high = high || c > 0xFF;
    std::string head;
    Add16(head, static_cast<uint16_t>(units.size()));
    head += static_cast<char>((high ? 1 : 0) | (x.runCount ? 8 : 0) | (x.phonetic.empty() ? 0 : 4));
    if (x.runCount) Add16(head, x.runCount);
    if (!x.phonetic.empty()) Add32(head, static_cast<uint32_t>(x.phonetic.size()));
    // The header and the first character stay together.
    if (w.Room() < head.size() + (high ? 2 : 1)) w.Continue();
    out.back().data += head;
    size_t width = high ? 2 : 1;
    for (size_t at = 0; at < units.size();) {
      if (w.Room() < width) {
        w.Continue();
        out.back().data += static_cast<char>(high ? 1 : 0);
      }
      size_t take = std::min(units.size() - at, w.Room() / width);
      for (size_t k = 0; k < take; ++k) {
        if (high)
          Add16(out.back().data, units[at + k]);
        else
          out.back().data += static_cast<char>(units[at + k]);
      }
      at += take;
    }
    w.Bytes(x.runs, 4);
    w.Bytes(x.phonetic, 1);
  }
  return out;
}

}  // namespace workbook
}  // namespace zelado
