// Arbitrary bytes through Open and Load: the text written back must equal
// the input, and the tree must keep its end-tag bookkeeping.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "ZELHtml.h"

namespace {

std::string TempPath(const char* tag) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/zel_fuzz_html_" + std::to_string(getpid()) + "_" + tag;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "html fuzz: %s\n", what);
  std::abort();
}

// Every end-tag index names the last child, an end tag; every child knows
// its parent.
void CheckTree(ZELHtmlElement* root) {
  std::vector<ZELHtmlElement*> work{root};
  while (!work.empty()) {
    ZELHtmlElement* e = work.back();
    work.pop_back();
    int n = e->GetChildCount();
    if (e->m_nEndTagIndex != -1) {
      Check(e->m_nEndTagIndex == n - 1, "end tag is not the last child");
      Check(e->m_arrChild[e->m_nEndTagIndex]->GetType() == ZELHTML_END_TAG, "end-tag index names no end tag");
    }
    for (ZELHtmlElement* c : e->m_arrChild) {
      Check(c->GetParent() == e, "child with a wrong parent");
      work.push_back(c);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = TempPath("in"), out = TempPath("out");
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  FILE* f = std::fopen(in.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  {
    ZELHtml doc;
    Check(doc.Open(Wide(in).c_str()), "Open failed");
    CheckTree(&doc.m_root);
    Check(doc.Save(Wide(out).c_str()), "Save failed");
    std::string back;
    if (FILE* g = std::fopen(out.c_str(), "rb")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, g)) > 0) back.append(buf, n);
      std::fclose(g);
    }
    Check(back == bytes, "Open and Save changed the bytes");
  }

  // Load takes a C string: the text up to the first NUL, a byte a character.
  std::wstring text = Wide(bytes.substr(0, bytes.find('\0')));
  ZELHtml doc;
  Check(doc.Load(text.c_str()) >= 0, "negative token count");
  CheckTree(&doc.m_root);
  Check(doc.m_root.GetFullText().str() == text, "Load changed the text");

  // Edits must leave a sound tree.
  if (doc.m_root.GetChildCount() > 0) {
    ZELHtmlElement* first = doc.m_root.m_arrChild[0];
    first->SetAttribute(L"id", L"x", TRUE);
    first->UpdateElement(FALSE);
    CheckTree(&doc.m_root);
  }
  return 0;
}
