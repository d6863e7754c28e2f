// An application outside the tree: logs through the common services, and
// uses each class and the platform types through the installed headers
// and the exported symbols alone.
#include <ZELAdo.h>
#include <ZELCallBack.h>
#include <ZELFile.h>
#include <ZELGF.h>
#include <ZELHtml.h>
#include <ZELLog.h>
#include <ZELResult.h>
#include <ZELXml.h>

#include <cstdio>

static int Classes() {
  CoInitialize(NULL);
  ZELAdo ado;
  long n = 0;
  if (!ado.Connect(L"Provider=SQLite;Data Source=:memory:") || !ado.OpenRecordset(L"SELECT 41 + 1") ||
      !ado.GetFieldValueByIndex(0, n) || n != 42)
    return 10;
  _variant_t v(L"text");
  _bstr_t b(L"text");
  if (CString(v.bstrVal) != static_cast<const wchar_t*>(b)) return 11;

  ZELXml xml;
  CString text;
  if (!xml.Load2(L"<a><b>x</b></a>")) return 12;
  xml.GetNodeText2(L"a/b", text, 0);
  if (text != L"x") return 13;

  ZELHtml html;
  if (!html.Load(L"<p><b>y</b></p>") || !html.FindElement(L"p/b", 0)) return 14;
  CoUninitialize();
  return 0;
}

int main() {
  ZELLog app;
  ZELLog child(&app);
  child.SetLog_Warning(0, ZELResult::GetResultString(-103), L"consumer", 0);
  if (app.GetLogCount() != 1) return 1;
  CStringArray parts;
  if (ZELGF::SplitText(L"a/b/c", L"/", 1, parts) != 3) return 2;
  __ZEL_NOTIFY n = {1, 0, 1, 50};
  ZELCallBack cb;
  if (cb.CallBack(n) == 2) return 3;
  if (int rc = Classes()) return rc;
  std::printf("consumer ok\n");
  return 0;
}
