#!/usr/bin/env python3
"""Seeds for inflate_fuzzer: raw deflate streams made by zlib with every strategy and
deflate64 members made by 7-Zip, each behind the control byte that chooses the
method and an output capacity with room for the stream's bytes."""
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

RATIOS = [0, 1, 2, 4, 8, 32, 256, 1024]


def control(deflate64, stream_size, needed):
    for index, ratio in enumerate(RATIOS):
        for extra in range(16):
            if stream_size * ratio + extra >= needed:
                return (extra << 4) | (index << 1) | int(deflate64)
    return (15 << 4) | (7 << 1) | int(deflate64)


def samples():
    rng = random.Random(1)
    text = b""
    for root, _, files in sorted(os.walk("/usr/share/common-licenses")):
        for name in sorted(files):
            try:
                with open(os.path.join(root, name), "rb") as f:
                    text += f.read()
            except OSError:
                pass
    text = text or b"the quick brown fox jumps over the lazy dog\n" * 400
    yield text[:16000]
    yield text[5000:5400]
    yield bytes(rng.getrandbits(8) for _ in range(3000))
    yield b"\0" * 5000 + b"ab" * 700 + b"xyz" * 300
    yield bytes(rng.choice(b"ACGT") for _ in range(8000))
    yield b"a"
    yield b""


def zlib_seeds():
    for n, data in enumerate(samples()):
        for level in (0, 1, 6, 9):
            for strategy in (zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED, zlib.Z_HUFFMAN_ONLY, zlib.Z_RLE, zlib.Z_FIXED):
                c = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
                stream = c.compress(data) + c.flush()
                yield f"zlib-{n}-{level}-{strategy}", bytes([control(False, len(stream), len(data))]) + stream


def deflate64_seeds():
    rng = random.Random(2)
    data = bytearray(rng.getrandbits(8) for _ in range(40000))
    while len(data) < 90000:
        start = len(data) - rng.randint(33000, 40000)
        data += data[start:start + rng.randint(50, 2000)]
        data += bytes([rng.getrandbits(8)]) * rng.randint(10, 600)
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "data.bin")
        archive = os.path.join(folder, "a.zip")
        with open(source, "wb") as f:
            f.write(data)
        result = subprocess.run(["7z", "a", "-tzip", "-mm=Deflate64", archive, source], capture_output=True)
        if result.returncode != 0:
            return
        with open(archive, "rb") as f:
            zipped = f.read()
    size, = struct.unpack_from("<I", zipped, 18)
    name, extra = struct.unpack_from("<HH", zipped, 26)
    stream = zipped[30 + name + extra:30 + name + extra + size]
    yield "deflate64", bytes([control(True, len(stream), len(data))]) + stream


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, seed in list(zlib_seeds()) + list(deflate64_seeds()):
        with open(os.path.join(out, name), "wb") as f:
            f.write(seed)


if __name__ == "__main__":
    main()
