#!/usr/bin/env python3
"""Seed archives for zip_fuzzer: small, and each showing a part of the format the
reader handles (methods, folders, comments, data descriptors, Zip64, UTF-8 and hostile
names, bytes in front of an archive, folders marked by their MS-DOS attribute). Usage: zip_fuzzer_seeds.py FOLDER"""
import io
import os
import sys
import zipfile

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
text = b"Kelvano card room setup. " * 8 + bytes(range(64))


def seed(name, members, method=zipfile.ZIP_DEFLATED, comment=b"", zip64=False, stream=False):
    raw = io.BytesIO()

    class Unseekable:
        def write(self, data):
            return raw.write(data)

        def flush(self):
            pass

        def tell(self):
            raise OSError("unseekable")

    with zipfile.ZipFile(Unseekable() if stream else raw, "w", method) as archive:
        for member, data in members:
            if zip64:
                with archive.open(member, "w", force_zip64=True) as f:
                    f.write(data)
            else:
                archive.writestr(member, data)
        archive.comment = comment
    with open(os.path.join(folder, name), "wb") as f:
        f.write(raw.getvalue())
    return raw.getvalue()


plain = seed("deflate.zip", [("a.txt", text), ("dir/", b""), ("dir/b.bin", bytes(range(256)))])
seed("stored.zip", [("x", b"stored"), ("empty", b"")], zipfile.ZIP_STORED, b"a comment")
seed("streamed.zip", [("s.txt", text)], stream=True)
zip64 = seed("zip64.zip", [("z.bin", text)], zip64=True)
# A self-extractor's stub in front, the offsets left as they were.
for name, archive in (("stub.zip", plain), ("zip64-stub.zip", zip64)):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(b"MZ" + b"\x90" * 500 + archive)
dos = io.BytesIO()
with zipfile.ZipFile(dos, "w") as archive:
    entry = zipfile.ZipInfo("dir")
    entry.create_system, entry.external_attr = 0, 0x10
    archive.writestr(entry, b"")
    archive.writestr("dir/a.txt", text)
with open(os.path.join(folder, "dos-folder.zip"), "wb") as f:
    f.write(dos.getvalue())
seed("names.zip", [("caf\u00e9/\u20ac.txt", b"u"), ("../up.txt", b"x"), ("CON", b"d"), ("a:b", b"s")])
deflate64 = bytearray(seed("deflate64.zip", [("d64.txt", text)]))
# The same stream as method 9: a deflate stream is a valid deflate64 one without long matches.
for signature in (b"PK\x03\x04", b"PK\x01\x02"):
    at = deflate64.find(signature)
    method_at = at + (8 if signature == b"PK\x03\x04" else 10)
    deflate64[method_at] = 9
with open(os.path.join(folder, "deflate64.zip"), "wb") as f:
    f.write(deflate64)
