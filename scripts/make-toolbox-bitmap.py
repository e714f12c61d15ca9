#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
#
# Usage: make-toolbox-bitmap.py OUTPUT.bmp
#
# Writes the 16x15 picture a form designer shows for the control in its
# toolbox: a header strip of three columns, the first sorted ascending,
# above a few list rows. Drawn from the character grid below, so a change
# to the picture is a change to this file; the .bmp beside the control's
# sources is its output, kept in the tree so the build needs no Python.
import struct
import sys

# Designers take the bottom-left pixel as the transparent colour, so the
# picture is framed by the classic button face.
PALETTE = {
    ".": (0xC0, 0xC0, 0xC0),  # button face, the transparent colour
    "w": (0xFF, 0xFF, 0xFF),  # highlight edge and list background
    "s": (0x80, 0x80, 0x80),  # shadow edge and list text
    "k": (0x00, 0x00, 0x00),  # outer shadow and captions
    "t": (0x00, 0x00, 0x80),  # sort triangle
}

# Top row first; every row is 16 characters.
PICTURE = [
    "wwwwwwwwkwwwwwkw",
    "w......skw...skw",
    "w....t.skw...skw",
    "wkkktttskwkkkskw",
    "w......skw...skw",
    "wssssssskwsssskw",
    "kkkkkkkkkkkkkkkk",
    "wwwwwwwwwwwwwwww",
    "wssssswwwwssswww",
    "wwwwwwwwwwwwwwww",
    "wssswwwwwwsswwww",
    "wwwwwwwwwwwwwwww",
    "wsssswwwwwssswww",
    "wwwwwwwwwwwwwwww",
    ".sssssssssssssss",
]
WIDTH, HEIGHT = 16, 15


def bitmap_bytes(rows):
    assert len(rows) == HEIGHT and all(len(row) == WIDTH for row in rows)
    stride = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    # A BMP stores its rows bottom-up, each pixel as blue, green, red.
    for row in reversed(rows):
        line = bytearray()
        for cell in row:
            red, green, blue = PALETTE[cell]
            line += bytes((blue, green, red))
        pixels += line + bytes(stride - len(line))
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return file_header + info_header + bytes(pixels)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make-toolbox-bitmap.py OUTPUT.bmp")
    with open(sys.argv[1], "wb") as output:
        output.write(bitmap_bytes(PICTURE))
