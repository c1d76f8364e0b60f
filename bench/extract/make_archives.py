#!/usr/bin/env python3
"""Makes the two archives of the extraction benchmark from files of this machine:
tree.zip, an installer-like tree (~300 MB in ~8,800 files: text, programs and
libraries, some incompressible data), and single.zip, one ~200 MB member of the same
mix. Deflate at zlib's default level, as installers ship. Files are chosen in a fixed
order, so the same machine always gets the same archives.
Usage: make_archives.py FOLDER"""
import os
import random
import sys
import zipfile

MB = 1 << 20
folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)


def candidates(roots, want_text, largest):
    for root in roots:
        for base, dirs, files in os.walk(root):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(base, name)
                if os.path.islink(path) or not os.path.isfile(path):
                    continue
                size = os.path.getsize(path)
                if size < 512 or size > largest:
                    continue
                with open(path, "rb") as f:
                    head = f.read(4096)
                is_text = b"\0" not in head
                is_binary = head.startswith(b"\x7fELF")
                if (want_text and is_text) or (not want_text and is_binary):
                    yield path, size


def pick(roots, want_text, budget, count, largest):
    """About count files adding up to about budget bytes, spread over the candidates."""
    every = list(candidates(roots, want_text, largest))
    step = max(1, len(every) // count)
    chosen, total = [], 0
    for path, size in every[::step]:
        if total >= budget:
            break
        chosen.append(path)
        total += size
    return chosen


text = pick(["/usr/include", "/usr/share/doc", "/usr/share/perl5", "/usr/lib/python3"], True, 105 * MB, 7000, 4 * MB)
binaries = pick(["/usr/lib/x86_64-linux-gnu", "/usr/bin", "/usr/libexec"], False, 160 * MB, 1600, 1 * MB)
rng = random.Random(1)


def write_tree(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for i, source in enumerate(text):
            archive.write(source, "app/docs/%d/%s" % (i % 40, source.lstrip("/")))
        for i, source in enumerate(binaries):
            archive.write(source, "app/bin/%d/%s" % (i % 20, os.path.basename(source)))
        for i in range(200):
            archive.writestr("app/data/blob%03d.cab" % i, rng.randbytes(150 * 1024))


def write_single(path):
    """One member interleaving the same kinds of data in 1 MB pieces."""
    pieces, size = [], 0
    sources = binaries[:] + text[:]
    rng.shuffle(sources)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        with archive.open("setup.msi", "w", force_zip64=True) as member:
            for i, source in enumerate(sources):
                if size >= 200 * MB:
                    break
                with open(source, "rb") as f:
                    data = f.read()
                if i % 10 == 0:
                    data += rng.randbytes(256 * 1024)
                member.write(data)
                size += len(data)


for name, make in (("tree.zip", write_tree), ("single.zip", write_single)):
    target = os.path.join(folder, name)
    if not os.path.exists(target):
        make(target + ".part")
        os.rename(target + ".part", target)
