#include "ZELHtml.h"

#include <algorithm>
#include <memory>
#include <string>

#include "ZELGF.h"
#include "html/HtmlBytes.h"
#include "html/HtmlTokenizer.h"
#include "html/HtmlTreeBuilder.h"
#include "platform/mfc/File.h"

ZELHtml::ZELHtml() : m_root(NULL), m_bByteText(FALSE) {}

ZELHtml::~ZELHtml() { Close(); }

void ZELHtml::Close() {
  m_root.RemoveChildAll();
  m_bByteText = FALSE;
}

int ZELHtml::Load(const wchar_t* html) {
  Close();
  return m_root.AddChild_Html(html);
}

namespace {
enum ReadResult { kRead, kNotUtf8, kFailed };
}

// The file is read as UTF-8 first; at the first byte that is not, it is
// read again from the start, each byte one character. The tokens are built
// below a scratch root that is handed over only when the whole file was
// read, so a failed read leaves the document as it was.
int ZELHtml::Open(const wchar_t* path) {
  ZELHtmlElement scratch(NULL);
  BOOL bBytes = FALSE;
  int r = ReadFile(path, FALSE, &scratch);
  if (r == kNotUtf8) {
    scratch.RemoveChildAll();
    bBytes = TRUE;
    r = ReadFile(path, TRUE, &scratch);
  }
  if (r != kRead) return FALSE;
  for (ZELHtmlElement* e : scratch.m_arrChild) m_root.AddChild(e, FALSE);
  scratch.m_arrChild.RemoveAll();
  if (bBytes) m_bByteText = TRUE;
  return TRUE;
}

int ZELHtml::ReadFile(const wchar_t* path, BOOL bBytes, ZELHtmlElement* pRoot) {
  CFile file;
  if (!path || !file.Open(path, CFile::modeRead | CFile::typeBinary)) return kFailed;
  // Blocks no larger than the file needs, so that a small page costs a
  // small read; a length the file cannot tell (a pipe) gets the most.
  ULONGLONG length = 0;
  try {
    length = file.GetLength();
  } catch (CFileException* e) {
    e->Delete();
  }
  const size_t kBlock = length ? static_cast<size_t>(std::min<ULONGLONG>(std::max<ULONGLONG>(length, 4096), 1u << 16)) : 1u << 16;
  ZELHtmlTreeBuilder builder(pRoot, static_cast<size_t>(length));
  ZELHtmlTokenizer tokenizer;
  auto add = [&builder](const wchar_t* p, size_t n) { builder.Add(p, n); };
  // Room for a block and the start of a UTF-8 sequence the last one cut.
  std::unique_ptr<unsigned char[]> buf(new unsigned char[kBlock + 4]);
  std::unique_ptr<wchar_t[]> chars(new wchar_t[kBlock + 4]);
  size_t carry = 0;
  try {
    for (;;) {
      UINT n = file.Read(buf.get() + carry, kBlock);
      if (n == 0) break;
      size_t have = carry + n, count = have;
      if (bBytes) {
        std::copy(buf.get(), buf.get() + have, chars.get());
        carry = 0;
      } else {
        bool bInvalid = false;
        size_t whole = ZelHtmlUtf8Prefix(buf.get(), have, &bInvalid, chars.get(), &count);
        if (bInvalid) return kNotUtf8;
        carry = have - whole;
        std::copy(buf.get() + whole, buf.get() + have, buf.get());
      }
      tokenizer.Feed(chars.get(), count, add);
    }
  } catch (CFileException* e) {
    e->Delete();
    return kFailed;
  }
  if (carry) return kNotUtf8;  // the file ends inside a sequence
  tokenizer.Finish(add);
  return kRead;
}

int ZELHtml::Save(const wchar_t* path) {
  if (!path || ZELGF::CreateFileW(path, 1, 1) != 0) return FALSE;
  CStdioFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText)) return FALSE;
  try {
    if (m_bByteText) m_root.WriteTree(file, TRUE);
    else m_root.WriteToFile(file);
    file.Close();
  } catch (CFileException* e) {
    e->Delete();
    file.Abort();
    return FALSE;
  }
  return TRUE;
}

ZELHtmlElement* ZELHtml::FindElement(const wchar_t* path, int nIndex) { return m_root.FindChildFormPath(path, nIndex); }

ZELHtmlElement* ZELHtml::FindElement(ZELHtmlElement* pParent, const wchar_t* name, int nIndex) {
  return pParent ? pParent->FindChild(name, nIndex) : NULL;
}
