#!/usr/bin/env python3
"""The anchor of the report benchmarks: the list report of ReportEngineBench.cpp
laid out and written as a PDF with ReportLab, from the same SQLite rows: a page
header with the page number, rows of number, name, right-aligned price and line
number, a subtotal after every product class, a page footer with the page
number; the CJK font embedded. Prints the pages, the seconds it took
(imports, query, layout and writing; not the interpreter's start) and the
process's peak resident memory in kilobytes.

  reportlab_list.py DATABASE ROWS OUTPUT.pdf
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
MARGIN = 10 / 25.4 * 72
HEADER, ROW, FOOTER = 40 * UNIT, 24 * UNIT, 40 * UNIT


def main():
    database, rows, output = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    pdfmetrics.registerFont(TTFont('Song', FONT, subfontIndex=0))
    con = sqlite3.connect(database)
    data = con.execute('SELECT P_ID, P_Class, P_NO, P_Name, P_Price FROM Products ORDER BY P_ID LIMIT ?',
                       (rows,)).fetchall()
    c = canvas.Canvas(output, pagesize=(PAGE_W, PAGE_H))
    state = {'page': 0, 'y': 0.0}
    bottom = MARGIN + FOOTER

    def text(x, y, s, right=None):
        if right is not None:
            c.drawRightString(MARGIN + right * UNIT, PAGE_H - y - 14, s)
        else:
            c.drawString(MARGIN + x * UNIT, PAGE_H - y - 14, s)

    def start_page():
        state['page'] += 1
        c.setFont('Song', 10)
        top = MARGIN
        text(0, top + 2, '商品清单 第%d页' % state['page'])
        state['y'] = top + HEADER

    def end_page():
        text(0, PAGE_H - MARGIN - FOOTER + 2, '第%d页' % state['page'])
        c.showPage()

    def room(height):
        if state['y'] + height > PAGE_H - bottom:
            end_page()
            start_page()

    start_page()
    line, total, current = 0, 0.0, None
    for pid, pclass, no, name, price in data:
        if current is not None and pclass != current:
            room(ROW)
            text(400, state['y'] + 2, '小计 %s' % format_number(total))
            state['y'] += ROW
            total = 0.0
        current = pclass
        room(ROW)
        line += 1
        y = state['y'] + 2
        text(0, y, no)
        text(130, y, name)
        text(0, y, format_number(price), right=520)
        text(530, y, str(line))
        state['y'] += ROW
        total += price
    if current is not None:
        room(ROW)
        text(400, state['y'] + 2, '小计 %s' % format_number(total))
    end_page()
    c.save()
    print(state['page'], time.perf_counter() - started, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)


def format_number(x):
    return ('%.15g' % x)


if __name__ == '__main__':
    main()
