// The enumerations of the data-access objects, with their usual values, so
// that callers written for them read and compare the same numbers.
#pragma once

enum ObjectStateEnum {
  adStateClosed = 0,
  adStateOpen = 1,
  adStateConnecting = 2,
  adStateExecuting = 4,
  adStateFetching = 8
};

enum CursorTypeEnum {
  adOpenUnspecified = -1,
  adOpenForwardOnly = 0,
  adOpenKeyset = 1,
  adOpenDynamic = 2,
  adOpenStatic = 3
};

enum LockTypeEnum {
  adLockUnspecified = -1,
  adLockReadOnly = 1,
  adLockPessimistic = 2,
  adLockOptimistic = 3,
  adLockBatchOptimistic = 4
};

enum CommandTypeEnum {
  adCmdUnspecified = -1,
  adCmdText = 1,
  adCmdTable = 2,
  adCmdStoredProc = 4,
  adCmdUnknown = 8,
  adCmdFile = 0x100,
  adCmdTableDirect = 0x200
};

enum ExecuteOptionEnum {
  adOptionUnspecified = -1,
  adAsyncExecute = 0x10,
  adAsyncFetch = 0x20,
  adExecuteNoRecords = 0x80
};

enum ConnectOptionEnum { adConnectUnspecified = -1, adAsyncConnect = 0x10 };

enum AffectEnum { adAffectCurrent = 1, adAffectGroup = 2, adAffectAll = 3 };

enum PositionEnum { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };

enum DataTypeEnum {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBSTR = 8,
  adIDispatch = 9,
  adError = 10,
  adBoolean = 11,
  adVariant = 12,
  adIUnknown = 13,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adUnsignedSmallInt = 18,
  adUnsignedInt = 19,
  adBigInt = 20,
  adUnsignedBigInt = 21,
  adFileTime = 64,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adUserDefined = 132,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adChapter = 136,
  adVarNumeric = 139,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205
};

enum ParameterDirectionEnum {
  adParamUnknown = 0,
  adParamInput = 1,
  adParamOutput = 2,
  adParamInputOutput = 3,
  adParamReturnValue = 4
};

enum ParameterAttributesEnum {
  adParamSigned = 0x10,
  adParamNullable = 0x40,
  adParamLong = 0x80
};

enum FieldAttributeEnum {
  adFldUnspecified = -1,
  adFldMayDefer = 0x2,
  adFldUpdatable = 0x4,
  adFldUnknownUpdatable = 0x8,
  adFldFixed = 0x10,
  adFldIsNullable = 0x20,
  adFldMayBeNull = 0x40,
  adFldLong = 0x80,
  adFldRowID = 0x100,
  adFldRowVersion = 0x200,
  adFldCacheDeferred = 0x1000,
  adFldIsChapter = 0x2000,
  adFldNegativeScale = 0x4000,
  adFldKeyColumn = 0x8000
};

enum SchemaEnum {
  adSchemaProviderSpecific = -1,
  adSchemaAsserts = 0,
  adSchemaCatalogs = 1,
  adSchemaCharacterSets = 2,
  adSchemaCollations = 3,
  adSchemaColumns = 4,
  adSchemaCheckConstraints = 5,
  adSchemaConstraintColumnUsage = 6,
  adSchemaConstraintTableUsage = 7,
  adSchemaKeyColumnUsage = 8,
  adSchemaReferentialConstraints = 9,
  adSchemaTableConstraints = 10,
  adSchemaColumnsDomainUsage = 11,
  adSchemaIndexes = 12,
  adSchemaColumnPrivileges = 13,
  adSchemaTablePrivileges = 14,
  adSchemaUsagePrivileges = 15,
  adSchemaProcedures = 16,
  adSchemaSchemata = 17,
  adSchemaSQLLanguages = 18,
  adSchemaStatistics = 19,
  adSchemaTables = 20,
  adSchemaTranslations = 21,
  adSchemaProviderTypes = 22,
  adSchemaViews = 23,
  adSchemaViewColumnUsage = 24,
  adSchemaViewTableUsage = 25,
  adSchemaProcedureParameters = 26,
  adSchemaForeignKeys = 27,
  adSchemaPrimaryKeys = 28,
  adSchemaProcedureColumns = 29
};

enum EditModeEnum { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2, adEditDelete = 4 };

enum CursorLocationEnum { adUseNone = 1, adUseServer = 2, adUseClient = 3 };
