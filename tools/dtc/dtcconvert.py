#!/usr/bin/env python3
"""Converts DTC masters (UTF-8, one "CODE description" line each) into the files a program ships: its line ends and
the code page of each language. Refuses, naming the line, a master line without a space or a character the code page
cannot hold, so a bad master never ships.

    dtcconvert.py --masters DIR --out DIR --pattern "{lang}_OBDII.txt" LANG...
"""
import argparse
import os
import sys

# The code page each language's table is written in; the readers use the same.
ENCODINGS = {"ru": "cp1251", "hu": "iso8859_2", "pl": "iso8859_2", "sk": "iso8859_2", "cz": "iso8859_2"}
DEFAULT_ENCODING = "cp1252"


def encoding_for(lang):
    return ENCODINGS.get(lang, DEFAULT_ENCODING)


def convert(master, target, lang, newline):
    with open(master, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    out = []
    for number, line in enumerate(lines, 1):
        if line.startswith("\ufeff") or "\r" in line or " " not in line:
            sys.exit("%s:%d: not a 'CODE description' line" % (master, number))
        try:
            out.append(line.encode(encoding_for(lang)))
        except UnicodeEncodeError as e:
            sys.exit("%s:%d: %r cannot be written in %s" % (master, number, line[e.start:e.end], encoding_for(lang)))
    data = newline.join(out) + newline
    tmp = target + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, target)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--masters", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--pattern", default="{lang}_OBDII.txt")
    parser.add_argument("langs", nargs="+")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for lang in args.langs:
        convert(os.path.join(args.masters, lang + ".txt"), os.path.join(args.out, args.pattern.format(lang=lang)), lang,
                b"\r\n")


if __name__ == "__main__":
    main()
