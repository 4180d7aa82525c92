#!/usr/bin/env python3
"""Reads the RTF documents written by dbgrid_tests with an independent
reader (unrtf, to HTML) and checks the table and its Chinese text."""
import html.parser
import subprocess
import sys

out = sys.argv[1]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


class Table(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "td" and self.cell is not None:
            self.rows[-1].append(self.cell.strip())
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def read(name):
    r = subprocess.run(["unrtf", "--html", f"{out}/{name}"], capture_output=True)
    check(r.returncode == 0, f"{name}: unrtf failed: {r.stderr!r}")
    t = Table()
    t.feed(r.stdout.decode("utf-8", "replace"))
    return t.rows


rows = read("grid.rtf")
check(len(rows) == 7, f"grid.rtf: 7 rows expected, got {len(rows)}")
if rows:
    check(rows[0] == ["ID", "Name", "Qty", "Price"], f"titles: {rows[0]}")
if len(rows) > 2:
    check(rows[1] == ["1", "上海贸易公司 {A&B}", "2", "1.5"], f"first record: {rows[1]}")
    check(rows[2] == ["2", "名称2", "4", "3"], f"second record: {rows[2]}")
check(read("empty.rtf") == [], "empty.rtf has no table")

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
