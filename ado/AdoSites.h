// Where ZELAdo reports from: one entry per site its records name, with the
// line callers match them by.
#pragma once

#include "ZELFailure.h"

enum ZelAdoSite : int {
  kAdoConnect,
  kAdoConnectAs,
  kAdoCreateCommand,
  kAdoOpenSchema,
  kAdoOpenRecordset,
  kAdoOpenTable,
  kAdoExecuteSQL,
  kAdoExecuteBstrSQL,
  kAdoExecuteStoreProc,
  kAdoExecuteBindingQuery,
  kAdoBeginTrans,
  kAdoCommitTrans,
  kAdoRollback,
  kAdoAppendParam,
  kAdoGetParamValue,
  kAdoIsOupputParam,
  kAdoGetRecordCount,
  kAdoGetFieldCount,
  kAdoGetFieldList,
  kAdoGetFieldValue,
  kAdoBlobFileWrite,
  kAdoBlobToFile,
  kAdoMoveFirst,
  kAdoMovePrevious,
  kAdoMoveNext,
  kAdoMoveLast,
  kAdoAddNew,
  kAdoUpdate,
  kAdoDelete,
  kAdoSetFieldValue,
  kAdoBlobFileRead,
  kAdoBlobChunk,
  kAdoBlobShortChunk,
  kAdoFileToBlob,
  kAdoSiteCount
};

const ZELReportSite& ZelAdoSiteOf(ZelAdoSite site);
