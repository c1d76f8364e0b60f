#!/usr/bin/env python3
"""Writes the pages' hand cursor: 32 x 32, black outline, white inside, hot spot at the
tip of the finger (column 5, row 0). Usage: make_cursor.py OUTPUT.cur"""
import struct
import sys

# X black, . white, blank transparent.
ART = """
     XX
    X..X
    X..X
    X..X
    X..X
    X..XXX
    X..X..XXX
    X..X..X..XX
    X..X..X..X.X
 XX X........X.X
X..XX..........X
X...X..........X
 X.............X
  X............X
  X...........X
   X..........X
   X.........X
    X........X
    X........X
    XXXXXXXXXX
"""
HOT_SPOT = (5, 0)

rows = ART.strip("\n").split("\n")
rows += [""] * (32 - len(rows))
xor_mask, and_mask = bytearray(), bytearray()
for row in reversed(rows):  # bitmaps are stored bottom-up
    row = row.ljust(32)
    for start in range(0, 32, 8):
        xor_byte = and_byte = 0
        for bit, pixel in enumerate(row[start:start + 8]):
            xor_byte |= (pixel == ".") << (7 - bit)
            and_byte |= (pixel == " ") << (7 - bit)
        xor_mask.append(xor_byte)
        and_mask.append(and_byte)

header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor_mask) + len(and_mask), 0, 0, 2, 0)
palette = struct.pack("<II", 0x000000, 0xFFFFFF)
image = header + palette + bytes(xor_mask) + bytes(and_mask)
directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, HOT_SPOT[0], HOT_SPOT[1],
                                                       len(image), 6 + 16)
with open(sys.argv[1], "wb") as out:
    out.write(directory + image)
