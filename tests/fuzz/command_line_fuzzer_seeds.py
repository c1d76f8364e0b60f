#!/usr/bin/env python3
"""Seeds for command_line_fuzzer: the command lines of the unit tests, with and without
the program before them. Usage: command_line_fuzzer_seeds.py FOLDER"""
import os
import sys

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
lines = [
    "/Q /NoSql", "/noframework", "/v 2.1.0 /q", "/v2.1.0", "/v", "/v 1/2", "/v 1 /v 2", "ignored /v  3 ", "",
    "/S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\"", "/x /y",
    "/q /LOG \"C:\\Setup Logs\\kelvano.log\" /layout D:\\kit /SuppressMsgBoxes /nosql", "/?",
    "/log \"\" /layout \"\"\" /v\t\t4\t",
]
for n, line in enumerate(lines):
    for prefix in ("", "\"C:\\Program Files\\Kit\\Setup.exe\" ", "Setup.exe "):
        with open(os.path.join(folder, f"line-{n}-{len(prefix)}"), "w", encoding="utf-8") as f:
            f.write(prefix + line)
