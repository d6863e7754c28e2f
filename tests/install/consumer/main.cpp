// An application outside the tree: logs through the common services and
// finds the library loaded with COM ready on its thread.
#include <ZELCallBack.h>
#include <ZELFile.h>
#include <ZELGF.h>
#include <ZELLog.h>
#include <ZELResult.h>

#include <cstdio>

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
  std::printf("consumer ok\n");
  return 0;
}
