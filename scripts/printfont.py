#!/usr/bin/env python3
"""Writes the program's printing font: the first face of a TrueType collection
(or a TrueType file) as a single TrueType file under a family name of its own,
without glyph names.

Wine's PostScript driver asks for the font's whole glyph-name table ('post')
for every glyph it prints, to name the glyph in the PostScript it sends; with
the CJK font that stands in for 宋体 (tens of thousands of glyphs, a table of
hundreds of kilobytes) that copy was almost all of a print's time. The table
is written in its short form without names (format 3): the driver then names
each glyph "g" and its number, and the program sends the characters of the
glyphs it prints along with the page (platform/vcl/PrintedGlyphs.h), so that a PDF
made from the job still has searchable text. Outlines, metrics and character
map are copied unchanged, so text looks and measures the same.

  printfont.py SOURCE TARGET FAMILY
"""
import os
import struct
import sys


def read_tables(data, offset):
    count = struct.unpack('>H', data[offset + 4:offset + 6])[0]
    tables = {}
    for i in range(count):
        tag, _, off, length = struct.unpack('>4sIII', data[offset + 12 + 16 * i:offset + 28 + 16 * i])
        tables[tag] = data[off:off + length]
    return tables


def nameless_post(post):
    """The glyph-name table in format 3: its header (italic angle, underline,
    fixed pitch, memory hints) without glyph names."""
    return struct.pack('>I', 0x00030000) + post[4:32]


def name_table(family):
    records, pool = [], b''
    for name_id, text in ((1, family), (2, 'Regular'), (3, family), (4, family), (6, family.replace(' ', ''))):
        for platform, encoding, language, raw in ((1, 0, 0, text.encode('latin-1')),
                                                  (3, 1, 0x409, text.encode('utf-16-be'))):
            records.append((platform, encoding, language, name_id, len(raw), len(pool)))
            pool += raw
    records.sort()
    return (struct.pack('>HHH', 0, len(records), 6 + 12 * len(records)) +
            b''.join(struct.pack('>6H', *r) for r in records) + pool)


def font_file(tables):
    tags = sorted(tables)
    n = len(tags)
    power = max(k for k in range(16) if 2 ** k <= n)
    head = struct.pack('>IHHHH', 0x00010000, n, 16 * 2 ** power, power, 16 * n - 16 * 2 ** power)
    offset, directory, body = 12 + 16 * n, b'', b''
    for tag in tags:
        table = tables[tag]
        padded = table + b'\0' * (-len(table) % 4)
        checksum = sum(struct.unpack('>%dI' % (len(padded) // 4), padded)) & 0xFFFFFFFF
        directory += struct.pack('>4sIII', tag, checksum, offset + len(body), len(table))
        body += padded
    return head + directory + body


def main():
    source, target, family = sys.argv[1:4]
    data = open(source, 'rb').read()
    offset = struct.unpack('>I', data[12:16])[0] if data[:4] == b'ttcf' else 0
    tables = read_tables(data, offset)
    tables[b'post'] = nameless_post(tables[b'post'])
    tables[b'name'] = name_table(family)
    temporary = target + '.tmp'
    with open(temporary, 'wb') as f:
        f.write(font_file(tables))
    os.replace(temporary, target)


if __name__ == '__main__':
    main()
