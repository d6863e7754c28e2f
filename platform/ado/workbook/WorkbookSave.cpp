// Workbook::Serialize: the changed sheets' records written again, the
// shared strings written again when strings were added, and every position
// that the stream holds (sheet positions, the string index, the row index
// of unchanged sheets) moved to where its record now stands.
#include "platform/ado/workbook/ByteIo.h"
#include "platform/ado/workbook/SheetWriter.h"
#include "platform/ado/workbook/Workbook.h"

namespace zelado {
namespace workbook {

std::vector<Record> Workbook::GlobalsToWrite(size_t& sstAt) {
  std::vector<Record> out;
  std::vector<size_t> moved(m_globals.size());
  bool newStrings = m_sst.Changed(), skipping = false;
  for (size_t i = 0; i < m_globals.size(); ++i) {
    const Record& r = m_globals[i];
    moved[i] = out.size();
    if (skipping && r.type == kContinue) continue;
    skipping = false;
    if (newStrings && (r.type == kSst || r.type == kExtSst)) {
      // The string index would point into the old table: it goes (readers
      // do without it).
      if (r.type == kSst) {
        std::vector<Record> sst = m_sst.Build(m_sst.Uses() + m_newSstUses);
        out.insert(out.end(), sst.begin(), sst.end());
      }
      skipping = true;
      continue;
    }
    out.push_back(r);
  }
  if (newStrings && m_sst.Uses() == 0 && m_sst.Count() > 0) {
    bool had = false;
    for (const Record& r : out) had = had || r.type == kSst;
    if (!had) {
      std::vector<Record> sst = m_sst.Build(m_newSstUses);
      out.insert(out.end() - 1, sst.begin(), sst.end());
    }
  }
  for (Sheet& s : m_sheets) s.boundSheet = moved[s.boundSheet];
  sstAt = 0;
  for (size_t i = 0, pos = 0; i < out.size(); pos += 4 + out[i].data.size(), ++i)
    if (out[i].type == kSst) sstAt = pos;
  return out;
}

std::string Workbook::Serialize() {
  size_t sstAt = 0, oldSstAt = 0;
  for (size_t i = 0, pos = 0; i < m_globals.size(); pos += 4 + m_globals[i].data.size(), ++i)
    if (m_globals[i].type == kSst) oldSstAt = pos;
  bool newStrings = m_sst.Changed();
  std::vector<Record> globals = GlobalsToWrite(sstAt);
  if (!newStrings)
    for (Record& r : globals)
      if (r.type == kExtSst)
        for (size_t at = 2; at + 4 <= r.data.size(); at += 8)
          Put32(r.data, at, static_cast<uint32_t>(Get32(r.data, at) + sstAt - oldSstAt));
  for (Sheet& s : m_sheets) {
    if (!s.rewrite) continue;
    s.records = RewriteSheet(s);
    s.edits.clear();
    s.rewrite = false;
    s.oldOffset = SIZE_MAX;  // no INDEX left to move
  }
  size_t offset = SizeOf(globals);
  for (Sheet& s : m_sheets) {
    Put32(globals[s.boundSheet].data, 0, static_cast<uint32_t>(offset));
    if (s.oldOffset != SIZE_MAX && s.oldOffset != offset)
      s.records.MoveIndex(static_cast<int64_t>(offset) - static_cast<int64_t>(s.oldOffset));
    s.oldOffset = offset;
    offset += s.records.ByteSize();
  }
  std::string stream;
  stream.reserve(offset);
  WriteRecords(globals, stream);
  for (const Sheet& s : m_sheets) s.records.WriteTo(stream);
  m_globals = std::move(globals);
  if (newStrings) {
    // What was written is now the table as read.
    for (size_t i = 0; i < m_globals.size(); ++i)
      if (m_globals[i].type == kSst) {
        m_sst = SharedStrings();
        m_sst.Parse(m_globals, i);
      }
    m_newSstUses = 0;
  }
  m_file.Entries()[m_stream].data = std::move(stream);
  std::string bytes = m_file.Serialize();
  m_file.Entries()[m_stream].data.clear();  // the records hold it; no second copy kept
  return bytes;
}

}  // namespace workbook
}  // namespace zelado
