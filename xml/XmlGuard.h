// ZELXml's guarded region, shared by its source files: the library's one
// failure frame, reporting through the class's site table.
#pragma once

#include "XmlSites.h"
#include "ZELXml.h"

template <class F>
BOOL ZELXml::Guard(ZelXmlSite site, F body, const wchar_t* what) {
  return ZelGuarded(body, [&](const ZELFailure& f) { ReportFailure(site, f, what); });
}
