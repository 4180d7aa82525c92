#!/usr/bin/env python3
"""Reads the customer list the program exported (app_tests) with an
independent reader (openpyxl) and checks its cells."""
import sys

import openpyxl

out = sys.argv[1]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


ws = openpyxl.load_workbook(f"{out}/customers.xlsx").worksheets[0]
titles = ["编号", "客户名称", "联系人", "地址", "邮编", "电话", "传真", "手机", "电子邮箱", "网址", "备注"]
check([ws.cell(1, c).value for c in range(1, 12)] == titles, f"titles: {[ws.cell(1, c).value for c in range(1, 12)]}")
check(ws.cell(2, 1).value == "C001" and ws.cell(2, 2).value == "上海贸易公司", f"first customer: {ws.cell(2, 2).value!r}")
check(ws.cell(2, 4).value == "上海市南京路1号", f"address: {ws.cell(2, 4).value!r}")
# A number typed as the customer number stays the text it was.
check(ws.cell(3, 1).value == "00123" and ws.cell(3, 1).number_format == "@",
      f"number kept as text: {ws.cell(3, 1).value!r} {ws.cell(3, 1).number_format}")
check(ws.cell(3, 2).value == "北京商行", f"second customer: {ws.cell(3, 2).value!r}")
check(ws.max_row == 3, f"one row per customer: {ws.max_row}")

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
