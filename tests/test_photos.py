"""Small photos that the test scripts make for themselves, with nothing but the standard
library."""

import struct


def write_bmp(path, width, height, seed):
    """A 24-bit BMP of a colour gradient, so that photos of different seeds differ."""
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height):
        row = bytearray()
        for x in range(width):
            row += bytes(((x * 255 // width + seed * 40) % 256, (y * 255 // height) % 256,
                          (seed * 70) % 256))
        pixels += row + b"\0" * (row_size - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)
