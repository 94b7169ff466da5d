#!/usr/bin/env python3
"""Turns icon*.txt and hand.txt into quillmere.ico and hand.cur (run after editing any of them)."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PALETTE = [  # the standard 16 colours, as (r, g, b)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def read_art(name, size):
    rows = [l.rstrip("\n") for l in open(os.path.join(HERE, name)) if not l.startswith(";")]
    assert len(rows) == size and all(len(r) == size for r in rows), name
    return rows


def packed_rows(rows, bits, pixel):
    """Bottom-up rows of `bits` per pixel, each padded to 32 bits."""
    out = b""
    for row in reversed(rows):
        value, count, line = 0, 0, b""
        for ch in row:
            value = (value << bits) | pixel(ch)
            count += bits
            if count == 8:
                line += bytes([value])
                value, count = 0, 0
        out += line + b"\0" * ((4 - len(line) % 4) % 4)
    return out


def image(rows, bits, palette, pixel):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, 0, 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    mask = packed_rows(rows, 1, lambda ch: 1 if ch == "." else 0)
    return header + colours + packed_rows(rows, bits, pixel) + mask


def png(rows, palette, pixel):
    """A 32-bit RGBA PNG, '.' transparent: Windows takes these inside an icon since Vista, and
    they are a tenth of the bitmap and its mask. Deflated at the highest level, each row
    unfiltered, so that the bytes depend only on the art and zlib."""
    size = len(rows)
    raw = b"".join(b"\0" + b"".join(
        bytes((0, 0, 0, 0)) if ch == "." else bytes(palette[pixel(ch)]) + b"\xff" for ch in row)
        for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write(name, kind, images):
    """images: (size, the directory entry's four fields after width and height, data)."""
    offset = 6 + 16 * len(images)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(struct.pack("<HHH", 0, kind, len(images)))
        for size, fields, data in images:
            f.write(struct.pack("<BBBBHHII", size, size, *fields, len(data), offset))
            offset += len(data)
        for _, _, data in images:
            f.write(data)


# 32 x 32 first, the size of the design, as a 16-colour bitmap; the larger ones for higher DPIs,
# each drawn for its size so that none is scaled, as PNG.
def icon_pixel(ch):
    return 0 if ch == "." else int(ch, 16)


write("quillmere.ico", 1,
      [(32, (16, 0, 1, 4), image(read_art("icon.txt", 32), 4, PALETTE, icon_pixel))] +
      [(size, (0, 0, 1, 32), png(read_art(name, size), PALETTE, icon_pixel))
       for size, name in ((40, "icon-40.txt"), (48, "icon-48.txt"), (64, "icon-64.txt"))])
# The hot spot takes the planes and bit-count fields of a cursor directory entry.
write("hand.cur", 2, [(32, (2, 0, 5, 0), image(read_art("hand.txt", 32), 1,
                                               [(0, 0, 0), (255, 255, 255)],
                                               lambda ch: 1 if ch == "o" else 0))])
