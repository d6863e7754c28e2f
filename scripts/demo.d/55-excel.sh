#!/usr/bin/env bash
# Workbooks: a 97-2003 workbook written by xlwt, its sheet read, a row
# appended and a cell changed through the library, and the file read again
# by xlrd, which finds the new row and the untouched formula and sheet.
set -euo pipefail
book="$WORK/prices.xls"
/usr/bin/python3 - "$book" <<'PY'
import sys, xlwt
b = xlwt.Workbook(encoding="utf-8")
s = b.add_sheet("Prices")
for c, v in enumerate(["Item", "Price", "Twice"]):
    s.write(0, c, v)
for r, (item, price) in enumerate([("tea", 3.25), ("coffee", 4.5)], start=1):
    s.write(r, 0, item)
    s.write(r, 1, price)
    s.write(r, 2, xlwt.Formula("B%d*2" % (r + 1)))
b.add_sheet("Notes").write(0, 0, "left alone")
b.save(sys.argv[1])
PY
"$ZELUTIL" xls sheets "$book"
"$ZELUTIL" xls dump "$book" Prices
"$ZELUTIL" xls append "$book" Prices scone 2.75
"$ZELUTIL" xls set "$book" Prices 0 0 "green tea"
"$ZELUTIL" xls dump "$book" Prices --csv
/usr/bin/python3 - "$book" <<'PY'
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
s = b.sheet_by_name("Prices")
print("xlrd reads sheets %s, %d rows; new row: %s" % (b.sheet_names(), s.nrows, s.row_values(s.nrows - 1)[:2]))
print("formula cells kept: %s" % [s.cell_type(r, 2) != xlrd.XL_CELL_EMPTY for r in (1, 2)])
PY
