#!/usr/bin/python3
"""Prints what a spreadsheet reader sees in a workbook, one tab-separated fact a line.

  xlsx_cells.py BOOK.xlsx          title, created, sheets, column widths, every cell
  xlsx_cells.py --rows BOOK.xlsx   per sheet: name, dimension, first and last row's
                                   first text (read from the XML, fast for a full sheet)
"""
import datetime
import re
import sys
import zipfile

import openpyxl


def cells(path):
    book = openpyxl.load_workbook(path)
    print("title\t%s" % book.properties.title)
    print("created\t%s" % book.properties.created.isoformat())
    for sheet in book.worksheets:
        print("sheet\t%s\t%d" % (sheet.title, sheet.max_row))
        for letter, dimension in sorted(sheet.column_dimensions.items()):
            if dimension.customWidth:
                print("width\t%s!%s\t%g" % (sheet.title, letter, dimension.width))
        for row in sheet.iter_rows():
            for cell in row:
                value = cell.value
                if value is None:
                    continue
                if isinstance(value, datetime.datetime):
                    kind, value = "d", value.date().isoformat()
                elif isinstance(value, (int, float)):
                    kind, value = "n", repr(float(value))
                else:
                    kind = cell.data_type
                print("cell\t%s!%s\t%s\t%s\t%s" % (sheet.title, cell.coordinate, kind, value, cell.number_format))


def rows(path):
    names = openpyxl.load_workbook(path, read_only=True).sheetnames
    with zipfile.ZipFile(path) as book:
        for number, name in enumerate(names, 1):
            xml = book.read("xl/worksheets/sheet%d.xml" % number).decode()
            found = re.findall(r'<row r="(\d+)"[^>]*><c r="[A-Z]+\d+" t="inlineStr"><is><t[^>]*>([^<]*)</t>', xml)
            dimension = re.search(r'<dimension ref="([^"]+)"', xml).group(1)
            first, last = found[0], found[-1]
            print("\t".join([name, dimension, first[0], first[1], last[0], last[1], str(len(found))]))


if __name__ == "__main__":
    if sys.argv[1] == "--rows":
        rows(sys.argv[2])
    else:
        cells(sys.argv[1])
