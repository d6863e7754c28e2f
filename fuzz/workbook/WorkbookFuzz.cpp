// Arbitrary bytes as a workbook file: loading either fails with the
// engine's error or gives a workbook that can be changed, written and read
// back with the same sheets.
#include "platform/ado/workbook/Workbook.h"
#include "platform/oleaut/ComError.h"

#include <cstdio>
#include <cstdlib>

using zelado::workbook::Workbook;

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "workbook fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<Workbook> wb;
  try {
    wb = Workbook::Load(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const _com_error&) {
    return 0;
  }
  size_t sheets = wb->SheetCount();
  for (size_t i = 0; i < sheets; ++i) {
    if (wb->SheetAt(i).kind != 0) continue;
    const zelado::workbook::SheetCells& cells = wb->SheetAt(i).cells;
    for (uint32_t r = 0; r < cells.RowEnd() && r < 64; ++r)
      for (uint32_t c = 0; c < cells.ColEnd(); ++c)
        if (const zelado::workbook::Cell* cell = cells.At(r, c))
          if (cell->kind == zelado::workbook::Cell::Text) wb->TextOf(wb->SheetAt(i), *cell);
    wb->SetText(i, 1, 1, "fuzz");
    wb->SetNumber(i, 0, 0, 1.5);
  }
  std::string again;
  try {
    again = wb->Serialize();
  } catch (const _com_error&) {
    return 0;  // a part the writer cannot place again (a record that grew past its limit)
  }
  std::unique_ptr<Workbook> back;
  try {
    back = Workbook::Load(again);
  } catch (const _com_error& e) {
    Check(false, "a workbook written from a loaded one does not load");
  }
  Check(back->SheetCount() == sheets, "the sheets changed on the way through");
  return 0;
}
