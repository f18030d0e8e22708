#!/usr/bin/python3
"""Reads exported files with independent readers and prints their content as JSON.

usage: read_export.py KIND FILE...
  KIND dbf: each FILE is a dBase table (python3-dbf); the table is named after the file.
  KIND xls: FILE is an Excel 97 workbook (python3-xlrd).
  KIND xlsx: FILE is an Excel 2007 workbook (python3-openpyxl).
Output: {"tables": {name: [[cell, ...], ...]}} where the first row of a workbook sheet is
its header and a dBase table's first row is its field names. Texts are right-trimmed
for dBase, numbers are numbers, dates "yyyy-mm-dd" or "yyyy-mm-ddThh:mm:ss", logicals
true/false, empty cells null.
"""
import datetime
import json
import os
import sys


def norm(value):
    if isinstance(value, datetime.datetime):
        if value.time() == datetime.time(0, 0):
            return value.date().isoformat()
        return value.isoformat(timespec="seconds")
    if isinstance(value, datetime.date):
        return value.isoformat()
    if isinstance(value, float) and value.is_integer():
        return value
    return value


def read_dbf(files):
    import dbf
    tables = {}
    import shutil
    import tempfile
    scratch = tempfile.mkdtemp()
    for path in files:
        name = os.path.splitext(os.path.basename(path))[0]
        if not path.lower().endswith(".dbf"):
            # The reader insists on the extension; the content decides.
            copy = os.path.join(scratch, name + ".dbf")
            shutil.copyfile(path, copy)
            path = copy
        table = dbf.Table(path)
        table.open(dbf.READ_ONLY)
        names = list(table.field_names)
        rows = [[n.upper() for n in names]]
        for record in table:
            row = []
            for n in names:
                v = record[n]
                if isinstance(v, str):
                    v = v.rstrip(" ")
                    v = v if v != "" else None
                row.append(norm(v))
            rows.append(row)
        table.close()
        tables[name] = rows
    shutil.rmtree(scratch)
    return tables


def read_xls(path):
    import xlrd
    book = xlrd.open_workbook(path)
    tables = {}
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    row.append(None)
                elif cell.ctype == xlrd.XL_CELL_DATE:
                    row.append(norm(xlrd.xldate.xldate_as_datetime(cell.value, book.datemode)))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    row.append(bool(cell.value))
                else:
                    row.append(norm(cell.value))
            rows.append(row)
        tables[sheet.name] = rows
    return tables


def read_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path, read_only=True)
    tables = {}
    for sheet in book.worksheets:
        tables[sheet.title] = [[norm(v) for v in row] for row in sheet.iter_rows(values_only=True)]
    return tables


def main():
    kind, files = sys.argv[1], sys.argv[2:]
    if kind == "dbf":
        tables = read_dbf(files)
    elif kind == "xls":
        tables = read_xls(files[0])
    else:
        tables = read_xlsx(files[0])
    json.dump({"tables": tables}, sys.stdout, ensure_ascii=False)


main()
