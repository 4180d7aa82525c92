#!/usr/bin/env python3
"""Reads the workbooks written by office_tests with an independent reader
(openpyxl, and the package's XML for the picture anchors) and checks them."""
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

out = sys.argv[1]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


wb = openpyxl.load_workbook(f"{out}/cells.xlsx")
ws = wb.worksheets[0]
check(ws["A1"].value == "00123" and ws["A1"].number_format == "@", f"A1 text 00123 with @: {ws['A1'].value!r} {ws['A1'].number_format}")
check(ws["B1"].value == 123.45, f"B1 number: {ws['B1'].value!r}")
check(ws["C1"].value == "客户名称", f"C1 Chinese text: {ws['C1'].value!r}")
check(str(ws["D1"].value)[:10] == "2024-02-29" and ws["D1"].number_format == "yyyy-mm-dd", f"D1 date: {ws['D1'].value!r} {ws['D1'].number_format}")
check(str(ws["E1"].value) == "2024-02-29 12:00:00", f"E1 date and time: {ws['E1'].value!r}")
check(ws["F1"].value is True, f"F1 flag: {ws['F1'].value!r}")
check(ws["A2"].value == 'a<b & "c"', f"A2 escaped text: {ws['A2'].value!r}")
check(ws["C2"].value == "=B1*2", f"C2 formula: {ws['C2'].value!r}")

wb = openpyxl.load_workbook(f"{out}/quotation.xlsx")
ws = wb.worksheets[0]
check(ws["A1"].value == "报价单", "template title kept")
check(ws["B2"].value == "上海贸易公司" and ws["B2"].number_format == "@", "customer as text")
for i in range(3):
    r = 4 * i + 4
    check(ws.cell(r, 1).value == "编号" and ws.cell(r + 1, 1).value == "名称", f"block {i} labels")
    check(ws.cell(r, 2).value == f"P00{i + 1}" and ws.cell(r, 2).number_format == "@", f"block {i} number as text")
    check(ws.cell(r + 2, 6).value == 10.5 * (i + 1) and ws.cell(r + 2, 6).number_format == "0.00", f"block {i} price")
    check(ws.cell(r + 2, 8).value == f"=F{r + 2}*2", f"block {i} formula moved: {ws.cell(r + 2, 8).value!r}")
merged = sorted(str(m) for m in ws.merged_cells.ranges)
check(merged == ["G12:G14", "G4:G6", "G8:G10"], f"merged blocks: {merged}")
with zipfile.ZipFile(f"{out}/quotation.xlsx") as z:
    names = z.namelist()
    media = [n for n in names if n.startswith("xl/media/")]
    check(len(media) == 1 and z.read(media[0])[:4] == b"\x89PNG", f"one PNG picture: {media}")
    ns = {"xdr": "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing"}
    drawing = ET.fromstring(z.read("xl/drawings/drawing1.xml"))
    anchors = drawing.findall("xdr:oneCellAnchor", ns)
    check(len(anchors) == 1, "one anchored picture")
    if anchors:
        a = anchors[0]
        col = int(a.find("xdr:from/xdr:col", ns).text)
        row = int(a.find("xdr:from/xdr:row", ns).text)
        ext = a.find("xdr:ext", ns)
        check((col, row) == (6, 7), f"picture at G8: {(col, row)}")
        check(int(a.find("xdr:from/xdr:colOff", ns).text) == 8 * 12700, "moved 8 points right")
        check(int(ext.get("cx")) == 110 * 12700 and int(ext.get("cy")) == 55 * 12700, "scaled to 110 wide")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("workbooks read back as written")
