#!/usr/bin/env python3
"""Draws the program's icon (a stack of three disks on blue) and writes it as
src/resources/setup.ico with 32x32 and 16x16 images in 16 colours (4 bits per
pixel, the standard VGA palette): the icon format Windows 95 and Windows NT
3.x/4.0 display. Icons with more colours or an alpha channel came later."""
import struct
import sys

# The 16 colours every display of those systems has, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
TRANSPARENT, NAVY, SILVER, LIME = None, 4, 7, 10


def pixel(x, y, n):
    # Three drive bays stacked, each a light bar with a green activity light.
    s = n / 32.0
    fx, fy = x / s, y / s
    if 3 <= fx < 29 and 3 <= fy < 29:
        for top in (5, 13, 21):
            if top <= fy < top + 6:
                if 25 <= fx < 27 and top + 2 <= fy < top + 4:
                    return LIME
                return SILVER
        return NAVY
    return TRANSPARENT


def image(n):
    xor_row = ((n * 4 + 31) // 32) * 4
    mask_row = ((n + 31) // 32) * 4
    xor = bytearray(xor_row * n)
    mask = bytearray(mask_row * n)
    for y in range(n):  # rows are stored bottom-up
        row = n - 1 - y
        for x in range(n):
            colour = pixel(x, y, n)
            if colour is None:
                mask[row * mask_row + x // 8] |= 0x80 >> (x % 8)
                colour = 0
            shift = 4 if x % 2 == 0 else 0
            xor[row * xor_row + x // 2] |= colour << shift
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/resources/setup.ico")
