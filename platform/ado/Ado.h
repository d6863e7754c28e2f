// The data-access objects: connection, recordset, command, fields and
// parameters, with their enumerations and result codes. Create them as
// handles, e.g. `_ConnectionPtr c; c.CreateInstance(CLSID_Connection);`
// (the thread must have called CoInitialize).
#pragma once

#include "platform/ado/AdoEnums.h"
#include "platform/ado/AdoErrors.h"
#include "platform/ado/AdoFwd.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Fields.h"
#include "platform/ado/Parameter.h"
#include "platform/ado/Recordset.h"
