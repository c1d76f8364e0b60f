#!/usr/bin/env python3
"""Seeds for format_text_fuzzer: the templates and values of the formatter's tests, as
the fuzzer reads them (NUL between the template and each value; a value begins with T
for a text, N for a number, D for a date). Usage: format_text_fuzzer_seeds.py FOLDER"""
import os
import sys

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
cases = [
    ("Scaricati {0} di {1}", ["T5 MB", "T10 MB"]), ("{1}-{0}-{1}", ["Ta", "Tb"]), ("{0} files", ["N42"]),
    ("{0}", ["N2.5"]), ("{1.6}{0.5}{abc}", ["Tzero", "Tone", "Ttwo"]), ("a\\nb", []), ("a\\tb", []),
    ("{0}", ["Tx\\ny"]), ("a\\Nb\\T", []), ("{0} then {0", ["Tv"]), ("x{}y", []), ("{0", []), ("} {0} }", ["Tv"]),
    ("{0}{\\n", ["Tv"]), ("{1}", ["Tonly one"]), ("{-1}", ["Tv"]),
    ("{0:d} {0:G} {0:g} {0:T} {0:t}", ["D2026-12-08 14:05:09"]), ("{0:d}", ["T2026-01-31"]), ("{0:d}", ["Tnot a date"]),
    ("{0:yyyy-mm-dd hh:nn:ss}", ["D2026-01-04 09:07:03"]), ("{0:dddd d mmmm yy}", ["D2026-01-04"]),
    ("{0:hh:mm} {0:w ww} {0:h AM/PM} {0:q y \"quoted\" \\x}", ["D2026-01-03 15:00:00"]),
    ("{0:#,##0.00}", ["N1234.5"]), ("{0:000}", ["N7"]), ("{0:0.#}", ["N2.25"]), ("{0:0%}", ["N0.256"]),
    ("{0:0.0;(0.0)}", ["N-1.25"]), ("{0:#,##0}", ["T1234567"]), ("{0:0.00}", ["N1e307"]), ("{0:0}", ["N-0"]),
    ("{0:0." + "0" * 500 + "}", ["N0.5"]), ("{0:#}", ["Nnan"]), ("{0} {1:0}", ["Ninf", "N1e-320"]),
]
for n, (template, values) in enumerate(cases):
    with open(os.path.join(folder, f"case-{n}"), "wb") as f:
        f.write(b"\0".join([template.encode()] + [v.encode() for v in values]))
