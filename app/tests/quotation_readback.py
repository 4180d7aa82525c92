#!/usr/bin/env python3
"""Reads the quotation workbook the program wrote (app_tests) with an
independent reader (openpyxl, and the package's XML for the picture) and
checks its cells."""
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

out = sys.argv[1]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


ws = openpyxl.load_workbook(f"{out}/quotation.xlsx").worksheets[0]
check(ws["A1"].value == "报价单", f"template title kept: {ws['A1'].value!r}")
check(ws["B2"].value == "上海贸易公司" and ws["B2"].number_format == "@", f"customer: {ws['B2'].value!r}")
check(str(ws["D2"].value)[:4].isdigit(), f"date as a date value: {ws['D2'].value!r}")
names = ["茶杯", "茶壶", "茶盘"]
for i in range(3):
    r = 4 * i + 4
    no = f"P00{i + 1}"
    check(ws.cell(r, 1).value == "编号", f"block {i} label from the template")
    check(ws.cell(r, 2).value == no and ws.cell(r, 2).number_format == "@", f"block {i} number: {ws.cell(r, 2).value!r}")
    check(ws.cell(r + 1, 2).value == names[i], f"block {i} name: {ws.cell(r + 1, 2).value!r}")
    check(ws.cell(r + 2, 2).value == no, f"block {i} number again")
    check(ws.cell(r + 2, 6).value == [10.5, 21, 31.5][i], f"block {i} price: {ws.cell(r + 2, 6).value!r}")
    check(ws.cell(r, 6).value == [1.5, 2.5, 3][i], f"block {i} gross weight: {ws.cell(r, 6).value!r}")
check(ws.max_row == 14, f"three blocks: {ws.max_row} rows")
with zipfile.ZipFile(f"{out}/quotation.xlsx") as z:
    media = [n for n in z.namelist() if n.startswith("xl/media/")]
    check(len(media) == 1 and z.read(media[0])[:2] == b"\xff\xd8", f"one JPEG picture: {media}")
    ns = {"xdr": "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing"}
    anchors = ET.fromstring(z.read("xl/drawings/drawing1.xml")).findall("xdr:oneCellAnchor", ns)
    check(len(anchors) == 1, "one anchored picture")
    if anchors:
        a = anchors[0]
        where = (int(a.find("xdr:from/xdr:col", ns).text), int(a.find("xdr:from/xdr:row", ns).text))
        check(where == (6, 3), f"picture at G4: {where}")
        check(int(a.find("xdr:ext", ns).get("cx")) == 110 * 12700, "110 points wide")

# The quotation the program exported in the end-to-end test: two lines.
ws = openpyxl.load_workbook(f"{out}/quotation_program.xlsx").worksheets[0]
check(ws["B2"].value == "上海贸易公司", f"program: customer {ws['B2'].value!r}")
for i, (no, price) in enumerate([("P01", 12.5), ("P02", 20)]):
    r = 4 * i + 4
    check(ws.cell(r, 1).value == "编号" and ws.cell(r, 2).value == no, f"program: block {i} {ws.cell(r, 2).value!r}")
    check(ws.cell(r + 2, 6).value == price, f"program: block {i} price {ws.cell(r + 2, 6).value!r}")

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
