// Writes a sheet's records again after cells changed. Every record outside
// the cell area is kept as it was; in the cell area each cell record (with
// the records that belong to a formula) is kept unless its cell changed,
// changed cells get new records in their place, and rows come in blocks of
// 32 as readers expect. DIMENSIONS is brought up to date; INDEX and DBCELL,
// which hold positions that no longer hold, are left out (both are optional).
#pragma once

#include "platform/ado/workbook/Workbook.h"

namespace zelado {
namespace workbook {

// The sheet's records are moved into the answer.
std::vector<Record> RewriteSheet(Sheet& sheet);

// The records of a new, empty worksheet.
std::vector<Record> NewSheetRecords();
// The globals of a new workbook without sheets.
std::vector<Record> NewGlobalsRecords();
// A BOUNDSHEET record for a worksheet of that name (position set on writing).
Record BoundSheetRecord(const std::string& name);

}  // namespace workbook
}  // namespace zelado
