// Where ZELSerial reports from: the function its records name and the line
// they carry. The lines are fixed numbers, so that a record reads the same
// from one release to the next.
#pragma once

#include "ZELFailure.h"

enum ZELSerialSite {
  kSiteConnectOpen,
  kSiteConnectReadEvent,
  kSiteConnectWriteEvent,
  kSiteConnectSetState,
  kSiteConnectExOpen,
  kSiteConnectExReadEvent,
  kSiteConnectExWriteEvent,
  kSiteConnectExSetState,
  kSiteReceive,
  kSiteQueue,
  kSitePut,
  kSitePutDelay,
  kSiteWatch,  // the watch thread's own report: no function, line -1
  kSiteCount
};

// The offsets from an open site to the later steps of the same Connect.
enum { kStepReadEvent = 1, kStepWriteEvent = 2, kStepSetState = 3 };

extern const ZELReportSite kZELSerialSites[kSiteCount];
