"""The pictures the golden-frame test reads and writes: the replay runner's 24-bit BMPs, and
8-bit RGB PNGs for the committed references (a tenth of the size, and viewable anywhere).

Only what these pictures need: no palettes, no alpha, no interlacing, no row filters. Every
picture is held as (width, height, rows) with rows the top-down RGB bytes, three per pixel.
"""
import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_bmp(path):
    """A bottom-up, uncompressed 24-bit BMP, as the replay runner writes them."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(path + ": not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0 or width <= 0 or height == 0:
        raise ValueError(path + ": not an uncompressed 24-bit BMP")
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    order = range(height - 1, -1, -1) if height > 0 else range(-height)
    for y in order:
        start = offset + y * stride
        row = data[start:start + width * 3]
        if len(row) != width * 3:
            raise ValueError(path + ": cut short")
        bgr = bytearray(row)
        bgr[0::3], bgr[2::3] = row[2::3], row[0::3]  # BMP keeps blue first
        rows += bgr
    return width, abs(height), bytes(rows)


def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def encode_png(width, height, rows):
    """Rows left unfiltered: on these pictures (tiles and flat colours repeating exactly) zlib
    alone packs smaller than with the row filters, and reading back needs no arithmetic."""
    stride = width * 3
    if len(rows) != stride * height:
        raise ValueError("picture size does not match its bytes")
    raw = b"".join(b"\x00" + rows[y * stride:(y + 1) * stride] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (PNG_SIGNATURE + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))


def write_png(path, width, height, rows):
    with open(path, "wb") as f:
        f.write(encode_png(width, height, rows))


def read_png(path):
    """An 8-bit RGB, non-interlaced PNG with unfiltered rows: what encode_png writes. A reference
    re-packed by another tool is refused by name rather than misread."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != PNG_SIGNATURE:
        raise ValueError(path + ": not a PNG")
    pos, header, idat = 8, None, bytearray()
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack_from(">I", data, pos + 8 + length)[0]
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError(path + ": damaged chunk " + kind.decode("latin-1"))
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None:
        raise ValueError(path + ": no IHDR")
    width, height, depth, colour, _c, _f, interlace = header
    if (depth, colour, interlace) != (8, 2, 0):
        raise ValueError(path + ": only 8-bit RGB without interlacing is read here")
    raw = zlib.decompress(bytes(idat))
    stride = width * 3
    if len(raw) != (stride + 1) * height:
        raise ValueError(path + ": picture data of the wrong size")
    rows = bytearray()
    for y in range(height):
        start = y * (stride + 1)
        if raw[start] != 0:
            raise ValueError(path + ": filtered rows; write the reference again with scripts/golden")
        rows += raw[start + 1:start + 1 + stride]
    return width, height, bytes(rows)
