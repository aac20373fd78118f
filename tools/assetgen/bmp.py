"""Minimal Windows BMP writer and reader.

The game loads its pictures with SDL_LoadBMP, which understands the plain
BITMAPINFOHEADER layout best, so that is the only layout written here:
24-bit or 8-bit palettised, uncompressed, bottom-up rows padded to four
bytes, no colour-space block, resolution fields fixed so the bytes never
depend on the machine that made them.
"""

import struct

# 2835 pixels per metre is 72 dpi; any constant would do, it only has to be
# the same on every run.
_PIXELS_PER_METRE = 2835


def _row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def encode_bmp24(width, height, pixels):
    """pixels: list of rows, top row first, each a list of (r, g, b)."""
    if len(pixels) != height or any(len(row) != width for row in pixels):
        raise ValueError("pixel rows do not match %dx%d" % (width, height))
    stride = _row_stride(width, 24)
    pad = b"\0" * (stride - width * 3)
    body = bytearray()
    for row in reversed(pixels):
        for r, g, b in row:
            body += bytes((b, g, r))
        body += pad
    return _assemble(width, height, 24, b"", bytes(body), 0)


def encode_bmp8(width, height, palette, indices):
    """palette: up to 256 (r, g, b); indices: rows top first of ints."""
    if len(palette) > 256:
        raise ValueError("palette has more than 256 entries")
    if len(indices) != height or any(len(row) != width for row in indices):
        raise ValueError("index rows do not match %dx%d" % (width, height))
    pal = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    stride = _row_stride(width, 8)
    pad = b"\0" * (stride - width)
    body = bytearray()
    for row in reversed(indices):
        for i in row:
            if not 0 <= i < len(palette):
                raise ValueError("palette index %d out of range" % i)
        body += bytes(row)
        body += pad
    return _assemble(width, height, 8, table, bytes(body), 256)


def _assemble(width, height, bits, table, body, colours_used):
    offset = 14 + 40 + len(table)
    size = offset + len(body)
    file_header = struct.pack("<2sIHHI", b"BM", size, 0, 0, offset)
    info = struct.pack(
        "<IiiHHIIiiII",
        40, width, height, 1, bits, 0, len(body),
        _PIXELS_PER_METRE, _PIXELS_PER_METRE, colours_used, 0,
    )
    return file_header + info + table + body


def write_bmp24(path, width, height, pixels):
    data = encode_bmp24(width, height, pixels)
    with open(path, "wb") as f:
        f.write(data)
    return path


def write_bmp8(path, width, height, palette, indices):
    data = encode_bmp8(width, height, palette, indices)
    with open(path, "wb") as f:
        f.write(data)
    return path


class BmpInfo:
    """What read_bmp found: size, depth and the pixels as RGB rows."""

    def __init__(self, width, height, bits, pixels, palette):
        self.width = width
        self.height = height
        self.bits = bits
        self.pixels = pixels  # rows, top first, of (r, g, b)
        self.palette = palette


def decode_bmp(data):
    """Reads back the two layouts this module writes (and nothing else)."""
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    _, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, width, height, planes, bits, compression, _, _, _, used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    if hsize != 40 or planes != 1 or compression != 0:
        raise ValueError("unsupported BMP header")
    if size != len(data):
        raise ValueError("BMP size field %d, file %d" % (size, len(data)))
    bottom_up = height > 0
    height = abs(height)
    palette = None
    if bits == 8:
        count = used or 256
        palette = []
        for i in range(count):
            b, g, r, _ = data[54 + 4 * i: 58 + 4 * i]
            palette.append((r, g, b))
    elif bits != 24:
        raise ValueError("unsupported bit depth %d" % bits)
    stride = _row_stride(width, bits)
    if offset + stride * height > len(data):
        raise ValueError("BMP pixel data truncated")
    rows = []
    for y in range(height):
        start = offset + stride * y
        line = data[start:start + stride]
        if bits == 24:
            row = [(line[3 * x + 2], line[3 * x + 1], line[3 * x])
                   for x in range(width)]
        else:
            row = [palette[line[x]] for x in range(width)]
        rows.append(row)
    if bottom_up:
        rows.reverse()
    return BmpInfo(width, height, bits, rows, palette)


def read_bmp(path):
    with open(path, "rb") as f:
        return decode_bmp(f.read())
