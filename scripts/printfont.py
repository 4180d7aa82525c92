#!/usr/bin/env python3
"""Writes the program's printing font: the first face of a TrueType collection
(or a TrueType file) as a single TrueType file under a family name of its own,
with a smaller glyph-name table.

Wine's PostScript driver asks for the font's whole glyph-name table ('post')
once for every glyph it prints, to name the glyph in the PostScript it sends;
with the 540 KB table of the CJK font that stands in for 宋体 that copy was
almost all of a print's time. The names themselves are needed (the PDF's text
is mapped back to Unicode through them), so they stay for every glyph a
character reaches, written in their short form "uXXXX"; glyphs no character
reaches (substitution variants) lose their names. Outlines, metrics and
character map are copied unchanged, so text looks and measures the same.

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


def reachable_glyphs(cmap):
    """Glyph indexes some character maps to (cmap subtables of format 4 and 12)."""
    glyphs = set()
    count = struct.unpack('>H', cmap[2:4])[0]
    for i in range(count):
        off = struct.unpack('>I', cmap[8 + 8 * i:12 + 8 * i])[0]
        fmt = struct.unpack('>H', cmap[off:off + 2])[0]
        if fmt == 4:
            seg2 = struct.unpack('>H', cmap[off + 6:off + 8])[0]
            n = seg2 // 2
            ends = struct.unpack('>%dH' % n, cmap[off + 14:off + 14 + seg2])
            base = off + 16 + seg2
            starts = struct.unpack('>%dH' % n, cmap[base:base + seg2])
            deltas = struct.unpack('>%dh' % n, cmap[base + seg2:base + 2 * seg2])
            range_at = base + 2 * seg2
            ranges = struct.unpack('>%dH' % n, cmap[range_at:range_at + seg2])
            for s in range(n):
                for c in range(starts[s], min(ends[s], 0xFFFE) + 1):
                    if ranges[s] == 0:
                        g = (c + deltas[s]) & 0xFFFF
                    else:
                        p = range_at + 2 * s + ranges[s] + 2 * (c - starts[s])
                        g = struct.unpack('>H', cmap[p:p + 2])[0]
                        if g:
                            g = (g + deltas[s]) & 0xFFFF
                    if g:
                        glyphs.add(g)
        elif fmt == 12:
            groups = struct.unpack('>I', cmap[off + 12:off + 16])[0]
            for k in range(groups):
                first, last, g = struct.unpack('>III', cmap[off + 16 + 12 * k:off + 28 + 12 * k])
                glyphs.update(range(g, g + last - first + 1))
    return glyphs


def slim_post(post, keep):
    """The glyph-name table with names only for the glyphs in keep, "uniXXXX" as "uXXXX"."""
    if struct.unpack('>I', post[:4])[0] != 0x00020000:
        return post
    n = struct.unpack('>H', post[32:34])[0]
    index = struct.unpack('>%dH' % n, post[34:34 + 2 * n])
    names, q = [], 34 + 2 * n
    while q < len(post):
        length = post[q]
        names.append(post[q + 1:q + 1 + length])
        q += 1 + length
    new_index, new_names = [], []
    for glyph, i in enumerate(index):
        if glyph not in keep or i < 258 or i - 258 >= len(names):
            # a standard Macintosh name, or none (.notdef)
            new_index.append(i if glyph in keep and i < 258 else 0)
            continue
        name = names[i - 258]
        if name.startswith(b'uni') and len(name) == 7:
            name = b'u' + name[3:]
        new_index.append(258 + len(new_names))
        new_names.append(name)
    return (post[:32] + struct.pack('>H%dH' % n, n, *new_index) +
            b''.join(bytes([len(x)]) + x for x in new_names))


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
    tables[b'post'] = slim_post(tables[b'post'], reachable_glyphs(tables[b'cmap']))
    tables[b'name'] = name_table(family)
    temporary = target + '.tmp'
    with open(temporary, 'wb') as f:
        f.write(font_file(tables))
    os.replace(temporary, target)


if __name__ == '__main__':
    main()
