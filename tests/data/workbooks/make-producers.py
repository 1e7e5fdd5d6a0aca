# Makes the workbooks of other producers that the dialect tests read:
# /usr/bin/python3 make-producers.py DIR (Debian's python3-openpyxl and
# python3-xlsxwriter). The files are made once and kept, so that the
# tests do not need these producers.
import sys

import openpyxl
import xlsxwriter

folder = sys.argv[1]

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Data"
for row in (["apple pie", "green apple", 42, "keep"],
            [7, "=A2*2", "crab apple"],
            [8, "=A3*2", "=SUM(A2:A3)"]):
    sheet.append(row)
sheet.row_dimensions[4].height = 20
book.save(folder + "/openpyxl.xlsx")

book = xlsxwriter.Workbook(folder + "/xlsxwriter.xlsx")
sheet = book.add_worksheet("Data")
sheet.write_string("A1", "apple pie")
sheet.write_rich_string("B1", "green ", book.add_format({"bold": True}), "apple")
sheet.write_number("C1", 42)
sheet.write_string("D1", "keep")
sheet.write_number("A2", 7)
sheet.write_formula("B2", "=A2*2", None, 14)
sheet.write_string("C2", "crab apple")
sheet.write_number("A3", 8)
sheet.write_formula("B3", "=A3*2", None, 16)
sheet.write_formula("C3", "=SUM(A2:A3)", None, 15)
sheet.set_row(3, 20)
book.close()
