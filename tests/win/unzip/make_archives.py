#!/usr/bin/env python3
"""Makes the archives that the Windows tests extract, with the tools that make them in
the field: Python's zipfile (deflate, stored, data descriptors, Zip64 counts) and 7-Zip
(deflate64). Usage: make_archives.py OUTPUT_FOLDER"""
import os
import random
import shutil
import subprocess
import sys
import zipfile

out = sys.argv[1]
tree = os.path.join(out, "tree")
shutil.rmtree(out, ignore_errors=True)
os.makedirs(tree)


def put(relative, data):
    path = os.path.join(tree, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


rng = random.Random(7)
put("readme.txt", b"Kelvano setup test archive.\r\n" * 2000)
put("bin/setup.dat", bytes(rng.choice(b"\x00\x00\x00\x01\x02\xff\x8b\x45") for _ in range(300000)))
put("bin/random.bin", rng.randbytes(200000))
put("empty.log", b"")
put("deep/a/b/c/d.txt", b"deep\n")
put("caf\u00e9/\u20ac.txt".encode().decode(), "euro \u20ac\n".encode())
os.makedirs(os.path.join(tree, "empty-folder"))


def add_tree(archive):
    for folder, folders, files in sorted(os.walk(tree)):
        folders.sort()
        relative_folder = os.path.relpath(folder, tree)
        if relative_folder != "." and not files and not folders:
            archive.write(folder, relative_folder + "/")
        for name in sorted(files):
            path = os.path.join(folder, name)
            archive.write(path, os.path.relpath(path, tree))


with zipfile.ZipFile(os.path.join(out, "deflate.zip"), "w", zipfile.ZIP_DEFLATED) as archive:
    add_tree(archive)
with zipfile.ZipFile(os.path.join(out, "stored.zip"), "w", zipfile.ZIP_STORED) as archive:
    add_tree(archive)


class Unseekable:
    """A stream that cannot seek back: zipfile then writes data descriptors."""

    def __init__(self, f):
        self.f = f

    def write(self, data):
        return self.f.write(data)

    def flush(self):
        self.f.flush()

    def tell(self):
        raise OSError("unseekable")


with open(os.path.join(out, "streamed.zip"), "wb") as raw:
    with zipfile.ZipFile(Unseekable(raw), "w", zipfile.ZIP_DEFLATED) as archive:
        add_tree(archive)
        archive.comment = b"streamed with data descriptors"

subprocess.run(["7z", "a", "-tzip", "-mm=Deflate64", "-mx=9", os.path.join(out, "deflate64.zip"), "."],
               cwd=tree, check=True, stdout=subprocess.DEVNULL)

with zipfile.ZipFile(os.path.join(out, "many.zip"), "w", zipfile.ZIP_STORED) as archive:
    for i in range(70000):
        archive.writestr("f%05d" % i, "n%d" % i)

with zipfile.ZipFile(os.path.join(out, "hostile.zip"), "w", zipfile.ZIP_STORED) as archive:
    archive.writestr("../escaped.txt", "must not be written")
    archive.writestr("kept.txt", "kept")
    archive.writestr("CON", "device")
