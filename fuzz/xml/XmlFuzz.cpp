// Markup from outside: the first line is a path, the rest a document. The
// document is loaded both as a file's bytes (naming its own encoding) and
// as a string, then selected in, edited along the path and written out.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "ZELXml.h"

namespace {

// A predicate that keeps every match takes the path off the walk for plain
// child paths, onto XPath: both must select the same nodes.
void CompareWithXPath(ZELXml& x, const wchar_t* path) {
  CString filtered = CString(path) + L"[true()]";
  int n = x.GetNodeCount2(path), m = x.GetNodeCount2(filtered);
  if (n < 0 || m < 0) return;  // not a node-set either way
  if (n != m) __builtin_trap();
  for (int i = 0; i < n && i < 8; ++i)
    if (x.GetNode2(path, i) != x.GetNode2(filtered, i)) __builtin_trap();
}

void Exercise(ZELXml& x, const wchar_t* path) {
  CString out;
  CompareWithXPath(x, path);
  x.GetNodeText2(path, out, 0);
  x.GetNodeXML2(path, out, 1);
  x.SetNodeAttribute2(path, L"a", L"<&\">", 0);
  x.AddNode2(path, L"x&y", -1);
  x.RemoveNodeAll2(path);
  IXMLDOMNodePtr root = x.GetRootNode();
  x.GetNodeXML2(root, out);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CoInitialize(NULL);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  size_t nl = in.find('\n');
  std::string path = nl == std::string::npos ? "*" : in.substr(0, nl);
  std::string doc = nl == std::string::npos ? in : in.substr(nl + 1);
  CString wpath(path.c_str());

  int fd = memfd_create("xml", 0);
  if (fd < 0) return 0;
  if (write(fd, doc.data(), doc.size()) == static_cast<ssize_t>(doc.size())) {
    ZELXml x;
    std::string file = "/proc/self/fd/" + std::to_string(fd);
    if (x.Open(CString(file.c_str()))) Exercise(x, wpath);
  }
  close(fd);

  ZELXml y;
  if (y.Load2(CString(doc.c_str()))) Exercise(y, wpath);
  return 0;
}
