"""Minimal 24-bit RGB PNG writer and reader (zlib + struct only)."""

import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _filter_row(row, prev, bpp=3):
    """Picks the cheaper of the Sub and Up filters for one row (enough for
    smooth normal maps and noisy textures alike)."""
    n = len(row)
    up = bytes((row[i] - prev[i]) & 0xFF for i in range(n))
    sub = bytes((row[i] - (row[i - bpp] if i >= bpp else 0)) & 0xFF for i in range(n))

    def cost(b):
        return sum(v if v < 128 else 256 - v for v in b)

    c_up, c_sub = cost(up), cost(sub)
    if c_up <= c_sub:
        return b"\x02" + up
    return b"\x01" + sub


def write_png(path, width, height, rows):
    """rows: `height` byte strings of width*3 RGB bytes, top row first."""
    raw = bytearray()
    prev = bytes(width * 3)
    for row in rows:
        row = bytes(row)
        assert len(row) == width * 3
        raw += _filter_row(row, prev)
        prev = row
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    data = b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr) + \
        _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def read_png_header(path):
    """(width, height, bit depth, colour type) of a PNG file."""
    with open(path, "rb") as f:
        head = f.read(33)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise ValueError(path + " is not a PNG")
    w, h, depth, ctype = struct.unpack(">IIBB", head[16:26])
    return w, h, depth, ctype


class Canvas:
    """RGB raster for maps and previews; (0, 0) is the top-left pixel."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.pix = [bytearray(bytes(colour) * width) for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pix[y][x * 3:x * 3 + 3] = bytes(colour)

    def rect(self, x0, y0, x1, y1, colour, fill=True):
        x0, x1 = sorted((int(x0), int(x1)))
        y0, y1 = sorted((int(y0), int(y1)))
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            if fill or y in (y0, y1):
                for x in range(max(0, x0), min(self.width, x1 + 1)):
                    self.put(x, y, colour)
            else:
                self.put(x0, y, colour)
                self.put(x1, y, colour)

    def save(self, path):
        write_png(path, self.width, self.height, self.pix)
