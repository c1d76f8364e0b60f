#!/usr/bin/env python3
"""Seeds for settings_fuzzer: the settings files of the unit tests, each as it is, with
a UTF-8 mark and as "Unicode" both ways round, and the files that break the rules (NULs,
lone carriage returns, a huge line, damaged UTF-16). Usage: settings_fuzzer_seeds.py FOLDER"""
import os
import sys

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)

texts = {
    "prefix": "PRODUCTCODE={ABC}\r\nPRODUCT=Kelvano\r\nserverSApassword=secret\r\nSERVER=SQL1\r\n",
    "blanks": "\n   \nPRODUCT\nproduct = spaced\n  NETWORK= LAN 1  \nMODE=a=b\n",
    "numbers": "APIPORT=80.5\nENABLESUPPORT=1\nENABLEWEBSITE=2 please\nMODE=quite   \n",
    "kit": "PRODUCT=Kelvano\r\nVERSION=2.1.0\r\nURL_DOTNET48=http://kit.example/[PRODUCT]/[PRODUCTVERSION]/n.zip"
           "|net48.zip|True|setup.exe|" + "ab" * 32 + "\r\n",
    "unicode": "PRODUCT=Kelvano\r\nNETWORK=Sala \u00e8 \u20ac \U0001F0A1\r\nSERVER=SQL1",
}
for name, text in texts.items():
    for form, data in (("plain", text.encode()), ("utf8", b"\xef\xbb\xbf" + text.encode()),
                       ("utf16le", b"\xff\xfe" + text.encode("utf-16-le")),
                       ("utf16be", b"\xfe\xff" + text.encode("utf-16-be"))):
        with open(os.path.join(folder, f"{name}-{form}"), "wb") as f:
            f.write(data)

odd = {
    "ansi": b"PRODUCT=Caff\xe8 \x80\rSERVER=X\r",
    "nul": b"PRODUCT=Kel\0vano\r\n\0\0SERVER=\0\r\n",
    "huge-line": b"NETWORK=" + b"x" * 20000 + b"\r\nPRODUCT=after\r\n",
    "lone-surrogate": b"\xff\xfe" + "PRODUCT=Kel".encode("utf-16-le") + b"\x00\xd8" + "vano".encode("utf-16-le"),
    "odd-length": b"\xfe\xff" + "SERVER=A".encode("utf-16-be") + b"B",
    "utf32": b"\xff\xfe\0\0" + "PRODUCT=Kelvano".encode("utf-32-le"),
}
for name, data in odd.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
