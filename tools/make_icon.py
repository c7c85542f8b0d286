#!/usr/bin/env python3
"""Draws the program's icon (a stack of three disks on blue) and writes it as
src/resources/setup.ico with 32x32 and 16x16 images, 32 bits per pixel."""
import struct
import sys


def pixel(x, y, n):
    # Three drive bays stacked, each a light bar with a green activity light.
    s = n / 32.0
    fx, fy = x / s, y / s
    if 3 <= fx < 29 and 3 <= fy < 29:
        for top in (5, 13, 21):
            if top <= fy < top + 6:
                if 25 <= fx < 27 and top + 2 <= fy < top + 4:
                    return (0x20, 0xE0, 0x20, 0xFF)
                return (0xD8, 0xD8, 0xD8, 0xFF)
        return (0x30, 0x30, 0xC0, 0xFF)
    return (0, 0, 0, 0)


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            rows.append(struct.pack("BBBB", b, g, r, a))
    xor = b"".join(rows)
    mask_row = ((n + 31) // 32) * 4
    mask = bytearray(mask_row * n)
    for y in range(n - 1, -1, -1):
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                row = n - 1 - y
                mask[row * mask_row + x // 8] |= 0x80 >> (x % 8)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def main(path):
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/resources/setup.ico")
