#!/usr/bin/env python3
"""Makes pluvo's DTC tables (dtc/<lang>_OBDII.txt) from the same UTF-8 masters as the desktop updater's, in the code
page pluvo reads each language with: 1252 for the Western languages and Hungarian, 28592 for Slovak and Czech, 1251
for Russian, 936 for Chinese. Lines end with CR LF. Hungarian's two letters that 1252 lacks (the double acute o and u)
become the nearest letters it holds (with diaeresis); any other character a code page cannot hold refuses the build,
naming the line.

    pluvodtc.py --masters DIR --out DIR LANG...
"""
import argparse
import os
import sys

ENCODINGS = {"sk": "iso8859_2", "cz": "iso8859_2", "ru": "cp1251", "cn": "gbk"}
DEFAULT_ENCODING = "cp1252"
NEAREST = {"hu": str.maketrans("őűŐŰ", "öüÖÜ")}


def convert(master, target, lang):
    encoding = ENCODINGS.get(lang, DEFAULT_ENCODING)
    with open(master, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    out = []
    for number, line in enumerate(lines, 1):
        if line.startswith("\ufeff") or "\r" in line or " " not in line:
            sys.exit("%s:%d: not a 'CODE description' line" % (master, number))
        line = line.translate(NEAREST.get(lang, {}))
        try:
            out.append(line.encode(encoding))
        except UnicodeEncodeError as e:
            sys.exit("%s:%d: %r cannot be written in %s" % (master, number, line[e.start:e.end], encoding))
    tmp = target + ".tmp"
    with open(tmp, "wb") as f:
        f.write(b"\r\n".join(out) + b"\r\n")
    os.replace(tmp, target)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--masters", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("langs", nargs="+")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for lang in args.langs:
        convert(os.path.join(args.masters, lang + ".txt"), os.path.join(args.out, lang + "_OBDII.txt"), lang)


if __name__ == "__main__":
    main()
