#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Usage: compare-screenshots.py EXPECTED.bmp ACTUAL.bmp

Passes when two captures of the demo's window hold the same pixels: the
window on the control found without registration against the window on
the installed control, which the server's tests check shows the strip.
Prints what it compared."""

import struct
import sys


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits not in (24, 32):
        raise SystemExit(f"{path}: {bits} bits per pixel")
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for row in range(abs(height)):
        # Bottom-up unless the height is negative.
        source = abs(height) - 1 - row if height > 0 else row
        start = offset + source * stride
        line = data[start:start + width * bits // 8]
        rows.append([tuple(line[i:i + 3]) for i in range(0, len(line), bits // 8)])
    return width, abs(height), rows


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    expected = read_bmp(argv[1])
    actual = read_bmp(argv[2])
    width, height, rows = actual
    if expected[:2] != actual[:2]:
        print(f"compare-screenshots: sizes differ: {expected[0]}x{expected[1]} and {width}x{height}")
        return 1
    differing = sum(1 for a, b in zip(expected[2], rows) for p, q in zip(a, b) if p != q)
    colours = len({pixel for row in rows for pixel in row})
    print(f"compare-screenshots: {width}x{height}, {colours} colours; "
          f"{differing} of {width * height} pixels differ between {argv[1]} and {argv[2]}")
    return 0 if differing == 0 and colours > 2 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
