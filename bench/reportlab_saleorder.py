#!/usr/bin/env python3
"""The anchor of the sales order print benchmark: the program's one-page sales
order (app/reports/SaleOrder.xml) laid out and written as a PDF with ReportLab,
from the same SQLite rows: the title, the customer and order fields, the
framed table of order lines with its header, and the framed total row; the
CJK font embedded. Prints the pages, the seconds it took (imports, query,
layout and writing; not the interpreter's start) and the process's peak
resident memory in kilobytes.

  reportlab_saleorder.py DATABASE OUTPUT.pdf
"""
import time

started = time.perf_counter()
import resource  # noqa: E402
import sqlite3  # noqa: E402
import sys  # noqa: E402

from reportlab.pdfbase import pdfmetrics  # noqa: E402
from reportlab.pdfbase.ttfonts import TTFont  # noqa: E402
from reportlab.pdfgen import canvas  # noqa: E402

FONT = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc'
UNIT = 0.75  # report units are pixels at 96 dpi; PDF units are points
PAGE_W, PAGE_H = 210 / 25.4 * 72, 297 / 25.4 * 72
TOP = 10 / 25.4 * 72
# Columns of the table: left and width in report units.
COLUMNS = ((18.9, 79.37), (98.27, 132.28), (230.55, 64.25), (294.8, 79.37), (374.17, 79.37),
           (453.54, 98.27), (551.81, 222.99))
HEADERS = ('编号', '产品名称', '单位', '单价', '数量', '金额', '备注')
ROW = 18.9


def main():
    database, output = sys.argv[1], sys.argv[2]
    pdfmetrics.registerFont(TTFont('Song', FONT, subfontIndex=0))
    con = sqlite3.connect(database)
    order = con.execute('SELECT C_Name, C_Addr, C_Tel, C_Fax, O_NO, O_OrderDate FROM SaleOrders').fetchone()
    lines = con.execute('SELECT P_NO, P_Name, P_Unit, OD_Price, OD_Qty, OD_JE, OD_Memo FROM SaleLines'
                        ' ORDER BY OD_ID').fetchall()
    c = canvas.Canvas(output, pagesize=(PAGE_W, PAGE_H))

    def y_of(top):
        return PAGE_H - TOP - top * UNIT

    def text(left, top, width, height, s, center=False, size=9):
        c.setFont('Song', size)
        base = y_of(top + height / 2) - size * 0.35
        if center:
            c.drawCentredString((left + width / 2) * UNIT, base, s)
        else:
            c.drawString(left * UNIT, base, s)

    def cell(left, top, width, s):
        c.rect(left * UNIT, y_of(top + ROW), width * UNIT, ROW * UNIT)
        text(left, top, width, ROW, s, center=True)

    name, addr, tel, fax, no, date = order
    text(245.67, 26.46, 302.36, 34.02, '您的企业名称销售单', center=True, size=16)
    text(18.9, 71.81, 298.58, 18.9, '客户：' + name)
    text(317.48, 71.81, 200.31, 18.9, '单号：' + no)
    text(593.39, 71.81, 192.76, 18.9, '日期：' + date[:10])
    text(18.9, 98.27, 298.58, 18.9, '地址：' + addr)
    text(317.48, 98.27, 200.31, 18.9, '电话：' + tel)
    text(517.8, 98.27, 200.31, 18.9, '传真：' + fax)
    top = 162.52
    for (left, width), h in zip(COLUMNS, HEADERS):
        cell(left, top, width, h)
    top += ROW
    qty = amount = 0
    for pno, pname, unit, price, q, je, memo in lines:
        values = (pno, pname, unit, '%.2f' % price, '%g' % q, '%.2f' % je, memo)
        for (left, width), v in zip(COLUMNS, values):
            cell(left, top, width, v)
        qty += q
        amount += je
        top += ROW
    cell(18.9, top, 355.28, '合计')
    cell(374.17, top, 79.37, '%g' % qty)
    cell(453.54, top, 98.27, '%.2f' % amount)
    cell(551.81, top, 222.99, '')
    c.showPage()
    c.save()
    print(1, time.perf_counter() - started, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)


if __name__ == '__main__':
    main()
