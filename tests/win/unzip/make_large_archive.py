#!/usr/bin/env python3
"""Makes an archive past the limits of a 32-bit process's address space: 113 MiB in all
(more than is mapped at once), a stored member of 100 MiB (more than one copy window)
and a deflated member of 2.25 GiB (more than the whole address space, and Zip64).
Usage: make_large_archive.py ARCHIVE"""
import random
import sys
import zipfile

STORED_SIZE = 100 << 20
HUGE_SIZE = 9 << 28

rng = random.Random(11)
# Repeats within deflate's 32 KiB window, so the member compresses to a few MiB.
block = rng.randbytes(1 << 12) * 16
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
    with archive.open(zipfile.ZipInfo("stored.bin"), "w") as member:
        for _ in range(STORED_SIZE >> 16):
            member.write(rng.randbytes(1 << 16))
    info = zipfile.ZipInfo("huge/huge.bin")
    info.compress_type = zipfile.ZIP_DEFLATED
    with archive.open(info, "w", force_zip64=True) as member:
        for _ in range(HUGE_SIZE // len(block)):
            member.write(block)
