#include "ZELHtml.h"

#include <algorithm>
#include <memory>
#include <string>

#include <sys/stat.h>

#include "ZELFailure.h"
#include "ZELGF.h"
#include "html/HtmlBytes.h"
#include "html/HtmlTokenizer.h"
#include "html/HtmlTreeBuilder.h"
#include "platform/base/AtomicFile.h"
#include "platform/mfc/File.h"

ZELHtml::ZELHtml() : m_root(NULL), m_bByteText(FALSE) {}

ZELHtml::~ZELHtml() { Close(); }

void ZELHtml::Close() {
  m_root.RemoveChildAll();
  m_bByteText = FALSE;
}

// Memory that runs out while parsing fails the call (the document is then
// empty, as Load leaves it before it parses).
int ZELHtml::Load(const wchar_t* html) {
  Close();
  int n = 0;
  if (!ZelGuarded([&] { n = m_root.AddChild_Html(html); }, [](const ZELFailure&) {})) {
    Close();
    return 0;
  }
  return n;
}

namespace {
enum ReadResult { kRead, kNotUtf8, kFailed };
}

// The file is read as UTF-8 first; at the first byte that is not, it is
// read again from the start, each byte one character. The tokens are built
// below a scratch root that is handed over only when the whole file was
// read, so a failed read (memory that ran out included) leaves the
// document as it was.
//
// Only regular files are read: a pipe or a device (/dev/zero) may never
// end, and opening a FIFO waits for a writer.
int ZELHtml::Open(const wchar_t* path) {
  struct stat st;
  if (!path || stat(CString(path).ToUtf8().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FALSE;
  ZELHtmlElement scratch(NULL);
  BOOL bBytes = FALSE;
  int r = kFailed;
  BOOL ran = ZelGuarded(
      [&] {
        r = ReadFile(path, FALSE, &scratch);
        if (r == kNotUtf8) {
          scratch.RemoveChildAll();
          bBytes = TRUE;
          r = ReadFile(path, TRUE, &scratch);
        }
        // Room first, so that the handover itself cannot fail half way.
        if (r == kRead) {
          INT_PTR have = m_root.m_arrChild.GetSize();
          m_root.m_arrChild.SetSize(have + scratch.m_arrChild.GetSize());
          m_root.m_arrChild.SetSize(have);
        }
      },
      [](const ZELFailure&) {});
  if (!ran || r != kRead) return FALSE;
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
  {
    for (;;) {
      UINT n = file.Read(buf.get() + carry, kBlock);
      if (n == 0) break;
      size_t have = carry + n, count = have;
      if (bBytes) {
        ZelHtmlWiden(buf.get(), have, chars.get());
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
  }
  if (carry) return kNotUtf8;  // the file ends inside a sequence
  tokenizer.Finish(add);
  builder.Finish();
  return kRead;
}

// Written beside the file and renamed over it, so that a failed save (a
// full disk) leaves the old file whole.
int ZELHtml::Save(const wchar_t* path) {
  if (!path || !ZELGF::IsValidPathName(path) || ZELGF::IsDir(path)) return FALSE;
  CString dir = ZELGF::ExtractDir(path);
  if (!dir.IsEmpty() && ZELGF::CreateDir(dir) != 0) return FALSE;
  bool saved = false;
  ZelGuarded(
      [&] {
        ZelAtomicFile file;
        saved = file.Open(CString(path).ToUtf8()) &&
                m_root.WriteTree([&file](const std::string& block) { return file.Write(block.data(), block.size()); },
                                 m_bByteText) &&
                file.Commit();
      },
      [](const ZELFailure&) {});
  return saved ? TRUE : FALSE;
}

ZELHtmlElement* ZELHtml::FindElement(const wchar_t* path, int nIndex) { return m_root.FindChildFormPath(path, nIndex); }

ZELHtmlElement* ZELHtml::FindElement(ZELHtmlElement* pParent, const wchar_t* name, int nIndex) {
  return pParent ? pParent->FindChild(name, nIndex) : NULL;
}
