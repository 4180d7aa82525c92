#!/usr/bin/env python3
"""Draws the preview window's button pictures (a strip of 16 x 16 images,
magenta = transparent), writes them as a 24-bit BMP and packs it the way the
report library reads its picture resources: a gzip header whose time field
holds the Adler-32 of the data, raw deflate data, the usual gzip trailer.
   make-preview-buttons.py OUTPUT.bmp.gz"""
import struct, sys, zlib

PALETTE = {
    '.': (255, 0, 255), 'k': (0, 0, 0), 'd': (96, 96, 96), 'g': (160, 160, 160),
    'l': (208, 208, 208), 'w': (255, 255, 255), 'b': (32, 80, 200), 'n': (0, 32, 120),
    'c': (120, 180, 240), 'y': (240, 200, 64), 'o': (200, 140, 32), 'r': (200, 32, 32),
    'G': (32, 150, 48),
}

def page(inner):
    """A white sheet with a folded corner and the given 8-row drawing inside."""
    rows = ["...dddddddd.....", "...dwwwwwwdd....", "...dwwwwwwdwd...", "...dwwwwwwddddd."]
    for r in inner:
        rows.append("...dw" + r + "wwwd.")
    while len(rows) < 15:
        rows.append("...dwwwwwwwwwwd.")
    rows.append("...dddddddddddd.")
    return rows[:16]

blank = ["." * 16] * 16
G = {}
G[0] = [  # open: a folder
    "................", "................", "................", ".dddd...........",
    "dyyyyd..........", "dyyyyyddddddd...", "dyyyyyyyyyyyd...", "dyyddddddddddddd",
    "dyydyyyyyyyyyyd.", "dydyyyyyyyyyyd..", "dydyyyyyyyyyyd..", "ddyyyyyyyyyyd...",
    "ddyyyyyyyyyyd...", "dddddddddddd....", "................", "................"]
G[1] = [  # save: a disk
    "................", ".nnnnnnnnnnnnnn.", ".nnwwwwwwwwwwnn.", ".nnwwwwwwwwwwnn.",
    ".nnwwwwwwwwwwnn.", ".nnwwwwwwwwwwnn.", ".nnnnnnnnnnnnnn.", ".nnnnnnnnnnnnnn.",
    ".nnnggggggggnnn.", ".nnnggddggggnnn.", ".nnnggddggggnnn.", ".nnnggddggggnnn.",
    ".nnnggggggggnnn.", "..nnnnnnnnnnnnn.", "................", "................"]
G[2] = [  # print: a printer with a sheet
    "................", "....dddddddd....", "....dwwwwwwd....", "....dwkkkkwd....",
    "....dwwwwwwd....", ".dddddddddddddd.", "dllllllllllllld.", "dlllllllllllGld.",
    "dllllllllllllld.", "dgggggggggggggd.", "dgddddddddddgdd.", "dgdwwwwwwwwdgd..",
    "ddddwkkkkkwdddd.", "....dwwwwwwd....", "....dddddddd....", "................"]
G[3] = [  # export: a sheet with an arrow leaving it
    "dddddddd........", "dwwwwwwdd.......", "dwwwwwwdwd......", "dwkkkkwdddd.....",
    "dwwwwwwwwwd.....", "dwkkkkkkwwd..G..", "dwwwwwwwwwd..GG.", "dwkkkkGGGGGGGGGG",
    "dwwwwwGGGGGGGGGG", "dwkkkkkkwwd..GG.", "dwwwwwwwwwd..G..", "dwkkkkkkwwd.....",
    "dwwwwwwwwwd.....", "ddddddddddd.....", "................", "................"]
G[4] = [  # find: a magnifier
    "................", "....ddddd.......", "...dcccccd......", "..dccwwcccd.....",
    "..dcwwccccd.....", "..dccccccccd....", "..dccccccccd....", "..dccccccccd....",
    "...dccccccd.....", "....dddddddd....", ".........dkkd...", "..........dkkd..",
    "...........dkkd.", "............dkd.", "................", "................"]
G[5] = [  # thumbnails: four small pages
    "................", ".dddddd.dddddd..", ".dwwwwd.dwwwwd..", ".dwkkwd.dwkkwd..",
    ".dwwwwd.dwwwwd..", ".dwkkwd.dwkkwd..", ".dddddd.dddddd..", "................",
    ".dddddd.dddddd..", ".dwwwwd.dwwwwd..", ".dwkkwd.dwkkwd..", ".dwwwwd.dwwwwd..",
    ".dwkkwd.dwkkwd..", ".dddddd.dddddd..", "................", "................"]
G[6] = blank
G[7] = page(["kkkkkk", "k....k".replace('.', 'w'), "kwwwwk", "kwwwwk", "kwwwwk", "kkkkkk", "wwwwww", "wwwwww"])
def arrow(left, bar):
    rows = []
    for i in range(16):
        rows.append(["."] * 16)
    for y in range(4, 12):
        w = 4 - abs(y - 7.5) + 0.5
        for x in range(int(w * 2)):
            xx = 6 + x if not left else 9 - x
            rows[y][xx] = 'k'
    if bar:
        for y in range(4, 12):
            rows[y][4 if left else 11] = 'k'
    return ["".join(r) for r in rows]
G[8], G[9], G[10], G[11] = arrow(True, True), arrow(True, False), arrow(False, False), arrow(False, True)
G[12] = [  # outline: a small tree
    "................", ".kkk.dddddddd...", ".kkk............", "..k.............",
    "..k..kkk.ddddd..", "..kkkkkk........", "..k..kkk........", "..k.............",
    "..k..kkk.ddddd..", "..kkkkkk........", "..k..kkk........", "..k.............",
    "..k..kkk.ddddd..", "..kkkkkk........", ".....kkk........", "................"]
def box(sign):
    rows = ["................", ".ddddddddddddd..", ".dwwwwwwwwwwwd.."]
    for y in range(3, 12):
        r = list(".dwwwwwwwwwwwd..")
        if y == 7:
            for x in range(4, 11): r[x] = 'k'
        if sign == '+' and 4 <= y <= 10: r[7] = 'k'
        rows.append("".join(r))
    rows += [".dwwwwwwwwwwwd..", ".ddddddddddddd..", "................", "................"]
    return rows[:16]
G[13], G[14] = box('-'), box('+')
def lens(sign):
    rows = [list(r) for r in G[4]]
    for x in range(4, 9): rows[6][x] = 'k'
    if sign == '+':
        for y in range(4, 9): rows[y][6] = 'k'
    return ["".join(r) for r in rows]
G[15], G[16] = lens('+'), lens('-')
for i in range(17, 21): G[i] = blank
G[21] = [  # edit page: a sheet and a pencil
    "dddddddd........", "dwwwwwwdd.......", "dwwwwwwdwd......", "dwkkkkwdddd..oo.",
    "dwwwwwwwwwd.oyyo", "dwkkkkkkwwdoyyo.", "dwwwwwwwwwoyyo..", "dwkkkkkwwoyyo...",
    "dwwwwwwwoyyo....", "dwkkkkkwkyo.....", "dwwwwwwwkkd.....", "dwkkkkkkwwd.....",
    "dwwwwwwwwwd.....", "ddddddddddd.....", "................", "................"]
G[22] = [  # full screen: four corners pointing out
    "................", ".kkkkk....kkkkk.", ".kkk........kkk.", ".k.k........k.k.",
    ".k..k......k..k.", ".k............k.", "................", "................",
    "................", "................", ".k............k.", ".k..k......k..k.",
    ".k.k........k.k.", ".kkk........kkk.", ".kkkkk....kkkkk.", "................"]
G[23] = [  # e-mail: an envelope
    "................", "................", "................", ".dddddddddddddd.",
    ".dwdwwwwwwwwdwd.", ".dwwdwwwwwwdwwd.", ".dwwwdwwwwdwwwd.", ".dwwwwdwwdwwwwd.",
    ".dwwwwwddwwwwwd.", ".dwwwwwwwwwwwwd.", ".dwwwwwwwwwwwwd.", ".dwwwwwwwwwwwwd.",
    ".dddddddddddddd.", "................", "................", "................"]
G[24] = page(["wwwwww", "rrrwww", "rwrwww", "rrrwww", "rwwwww", "rwwwww", "wwwwww", "wwwwww"])

def main(out):
    n = 25
    width, height = 16 * n, 16
    rows = []
    for y in range(height):
        line = bytearray()
        for i in range(n):
            g = G.get(i, blank)
            r = (g[y] + "." * 16)[:16]
            for ch in r:
                red, green, blue = PALETTE[ch]
                line += bytes((blue, green, red))
        rows.append(bytes(line))
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(r + b"\0" * (stride - len(r)) for r in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    bmp = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels
    comp = zlib.compressobj(9, zlib.DEFLATED, -15)
    raw = comp.compress(bmp) + comp.flush()
    packed = (b"\x1f\x8b\x08\x00" + struct.pack(">I", zlib.adler32(bmp)) + b"\x00\x03" + raw +
              struct.pack("<II", zlib.crc32(bmp) & 0xFFFFFFFF, len(bmp) & 0xFFFFFFFF))
    with open(out, "wb") as f:
        f.write(packed)

if __name__ == "__main__":
    main(sys.argv[1])
