#!/usr/bin/env python3
"""Seeds for download_description_fuzzer: the descriptions of the package runner's and
the layout's tests, good and malformed. Usage: download_description_fuzzer_seeds.py FOLDER"""
import os
import sys

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
url = "http://kit.example/a.exe"
sha = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"
descriptions = [
    "", url, url + "|a.exe", url + "|a.exe|False", url + "|net48.zip|1|setup.exe", url + "|a.exe|False||" + sha,
    url + "|a.exe|False||", url + "|a.exe|False||abc", url + "|a.exe|maybe", url + "|a.exe|True",
    url + "|a.exe|True|..\\..\\evil.exe", url + "|a.exe|True|\\evil.exe", url + "|a.exe|True|C:\\evil.exe",
    url + "|..\\a.exe|False", url + "|C:\\a.exe|False", url + "|sub/a.exe|False", url + "|CON|False", url + "||False",
    url + "|.|False", "http://kit.example/[PRODUCT]/[PRODUCT]/[PRODUCTVERSION]/[product].zip|p.zip| true |Setup/Setup.exe",
    "file:///D:/kit/a.msi|a.msi|0|||extra", "ftp://kit.example/a.zip|a.zip|-2.5e1|sub\\. .\\x.exe|" + sha.lower(),
]
for n, text in enumerate(descriptions):
    with open(os.path.join(folder, f"description-{n}"), "w", encoding="utf-8") as f:
        f.write(text)
