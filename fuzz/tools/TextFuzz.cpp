// The tool's own readers of outside text. A page's tags: when the check
// lets an attribute edit through, the rebuilt tag must hold every
// attribute it had, with its value. A --row record: split and joined
// again as CSV, it reads back as the same values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "Command.h"
#include "HtmlTagCheck.h"
#include "SqlValues.h"
#include "ZELHtml.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "zelutil text fuzz: %s\n", what);
  std::abort();
}

void CheckTag(ZELHtmlElement* e) {
  if (e->GetType() != ZELHTML_START_TAG && e->GetType() != ZELHTML_EMPTY_TAG) return;
  if (!zelutil::UnkeptTagPart(*e).empty()) return;
  std::vector<std::pair<CString, CString>> before;
  for (const __ZEL_HTML_ATTRIBUTE& a : e->m_arrAttribute) before.emplace_back(a.strName, e->GetAttribute(a.strName));
  e->SetAttribute(L"data-fuzz", L"v", TRUE);
  ZELHtmlElement again(nullptr);
  again.SetHtmlText(e->m_strHtml);
  for (const auto& [name, value] : before) Check(again.GetAttribute(name) == value, "an attribute changed on rebuild");
  Check(again.GetAttribute(L"data-fuzz") == L"v", "the new attribute is missing");
}

void CheckPage(const std::string& bytes) {
  ZELHtml doc;
  if (!doc.Load(std::wstring(bytes.begin(), bytes.end()).c_str())) return;
  std::vector<ZELHtmlElement*> work{&doc.m_root};
  while (!work.empty()) {
    ZELHtmlElement* e = work.back();
    work.pop_back();
    for (ZELHtmlElement* c : e->m_arrChild) work.push_back(c);
    if (e != &doc.m_root) CheckTag(e);
  }
}

std::string Join(const std::vector<zelutil::SqlValue>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); i++) {
    out += i ? "," : "";
    if (!values[i].quoted) {
      out += values[i].text;
      continue;
    }
    out += '"';
    for (char c : values[i].text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    out += '"';
  }
  return out;
}

void CheckRecord(const std::string& record) {
  std::vector<zelutil::SqlValue> values;
  try {
    values = zelutil::SplitCsvRecord(record);
  } catch (const zelutil::Failure&) {
    return;
  }
  std::vector<zelutil::SqlValue> again = zelutil::SplitCsvRecord(Join(values));
  Check(again.size() == values.size(), "a record splits into another count");
  for (size_t i = 0; i < values.size(); i++)
    Check(again[i].text == values[i].text && again[i].quoted == values[i].quoted, "a value reads back differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1)
    CheckRecord(rest);
  else
    CheckPage(rest);
  return 0;
}
