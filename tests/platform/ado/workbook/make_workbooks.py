#!/usr/bin/python3
"""Workbooks written by an outside program (xlwt) for the workbook tests.

make_workbooks.py FOLDER makes in FOLDER:
  people.xls  sheet Data: a header row (one name cell empty) and three rows
              of a number, a text, a date (custom format), a boolean and a
              formula; sheet Notes: text, a formula and a merged range;
              sheet Long: texts longer than one record
"""
import datetime
import sys

import xlwt

folder = sys.argv[1]
book = xlwt.Workbook(encoding="utf-8")
data = book.add_sheet("Data")
when = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm")
money = xlwt.easyxf(num_format_str="#,##0.00")
for col, name in enumerate(["Amount", "Name", "When", "", "Twice"]):
    if name:
        data.write(0, col, name)
rows = [(2.5, "Alice", datetime.datetime(2020, 1, 2, 3, 4), True),
        (7, "Bob", datetime.datetime(1999, 12, 31), False),
        (-1.25, "Zoë", datetime.datetime(2024, 2, 29, 12, 0), True)]
for i, (amount, name, when_, flag) in enumerate(rows, start=1):
    data.write(i, 0, amount, money)
    data.write(i, 1, name)
    data.write(i, 2, when_, when)
    data.write(i, 3, flag)
    data.write(i, 4, xlwt.Formula("A%d*2" % (i + 1)))
data.col(1).width = 6000
notes = book.add_sheet("Notes")
notes.write(0, 0, "Note")
notes.write(1, 0, "keep me")
notes.write(2, 0, xlwt.Formula('"a"&"b"'))
notes.write_merge(4, 5, 0, 2, "merged")
long_ = book.add_sheet("Long")
long_.write(0, 0, "Text")
for i in range(1, 6):
    long_.write(i, 0, ("%d-" % i) + "x" * 3000 + "\u00e9" * 2000)
book.save(folder + "/people.xls")
