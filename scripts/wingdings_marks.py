#!/usr/bin/env python3
"""Writes a copy of Wine's Wingdings that also holds the characters Quillet's editor shows for
Enter and Tab (U+F0C3 and U+F0F0) and for a picture (U+F03A), which Wine's font lacks: drawn as
Wine's left arrow, its right arrow and its empty square (as wide as the real font's glyph, so
that the picture painted over it has its room). Only the Windows character map (3,0) changes.

usage: wingdings_marks.py WINE_WINGDINGS_TTF OUT_TTF
"""
import struct
import sys

ADDED = {0xF0C3: 0xF0DF, 0xF0F0: 0xF0E0, 0xF03A: 0xF06F}  # new character: the character whose glyph it borrows


def read_format4(data, at):
    seg_x2 = struct.unpack_from(">H", data, at + 6)[0]
    n = seg_x2 // 2
    ends = struct.unpack_from(">%dH" % n, data, at + 14)
    starts = struct.unpack_from(">%dH" % n, data, at + 16 + seg_x2)
    deltas = struct.unpack_from(">%dh" % n, data, at + 16 + 2 * seg_x2)
    range_at = at + 16 + 3 * seg_x2
    ranges = struct.unpack_from(">%dH" % n, data, range_at)
    glyphs = {}
    for i in range(n):
        for code in range(starts[i], ends[i] + 1):
            if code == 0xFFFF:
                continue
            if ranges[i] == 0:
                gid = (code + deltas[i]) & 0xFFFF
            else:
                gid = struct.unpack_from(
                    ">H", data, range_at + 2 * i + ranges[i] + 2 * (code - starts[i]))[0]
                gid = (gid + deltas[i]) & 0xFFFF if gid else 0
            if gid:
                glyphs[code] = gid
    return glyphs


def write_format4(glyphs):
    # One segment per run of characters whose glyphs also follow each other.
    segments = []
    for code in sorted(glyphs):
        if segments and code == segments[-1][1] + 1 and \
                glyphs[code] == glyphs[segments[-1][1]] + 1:
            segments[-1][1] = code
        else:
            segments.append([code, code])
    segments.append([0xFFFF, 0xFFFF])
    n = len(segments)
    search = 2 ** (n.bit_length() - 1)
    ends = [s[1] for s in segments]
    starts = [s[0] for s in segments]
    deltas = [((glyphs[s[0]] - s[0]) if s[0] != 0xFFFF else 1) & 0xFFFF for s in segments]
    body = struct.pack(">%dH" % n, *ends) + b"\0\0" + struct.pack(">%dH" % n, *starts) + \
        struct.pack(">%dH" % n, *deltas) + b"\0\0" * n
    header = struct.pack(">7H", 4, 14 + len(body), 0, 2 * n, 2 * search,
                         search.bit_length() - 1, 2 * n - 2 * search)
    return header + body


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def main(source, target):
    data = open(source, "rb").read()
    version, count = struct.unpack_from(">IH", data, 0)
    tables = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack_from(">4sIII", data, 12 + 16 * i)
        tables[tag] = data[offset:offset + length]

    cmap = tables[b"cmap"]
    subtables = []
    for i in range(struct.unpack_from(">H", cmap, 2)[0]):
        platform, encoding, offset = struct.unpack_from(">HHI", cmap, 4 + 8 * i)
        length = struct.unpack_from(">H", cmap, offset + 2)[0]
        body = cmap[offset:offset + length]
        if (platform, encoding) == (3, 0):
            glyphs = read_format4(cmap, offset)
            for code, like in ADDED.items():
                glyphs[code] = glyphs[like]
            body = write_format4(glyphs)
        subtables.append((platform, encoding, body))
    head = struct.pack(">HH", 0, len(subtables))
    offset = 4 + 8 * len(subtables)
    records, bodies = b"", b""
    for platform, encoding, body in subtables:
        records += struct.pack(">HHI", platform, encoding, offset + len(bodies))
        bodies += body
    tables[b"cmap"] = head + records + bodies

    tables[b"head"] = tables[b"head"][:8] + b"\0\0\0\0" + tables[b"head"][12:]
    tags = sorted(tables)
    search = 2 ** (len(tags).bit_length() - 1)
    out = struct.pack(">IHHHH", version, len(tags), 16 * search, search.bit_length() - 1,
                      16 * (len(tags) - search))
    offset = 12 + 16 * len(tags)
    directory, payload = b"", b""
    for tag in tags:
        table = tables[tag]
        directory += struct.pack(">4sIII", tag, checksum(table), offset + len(payload),
                                 len(table))
        payload += table + b"\0" * (-len(table) % 4)
    font = bytearray(out + directory + payload)
    head_at = None
    for i in range(len(tags)):
        tag, _, at, _ = struct.unpack_from(">4sIII", font, 12 + 16 * i)
        if tag == b"head":
            head_at = at
    struct.pack_into(">I", font, head_at + 8, (0xB1B0AFBA - checksum(bytes(font))) & 0xFFFFFFFF)
    open(target, "wb").write(font)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
