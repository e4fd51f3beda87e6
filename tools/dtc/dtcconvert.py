#!/usr/bin/env python3
"""Converts DTC masters (UTF-8, one "CODE description" line each) into the files a program ships, with CR LF line
ends, in the code page that program reads each language with:
- desktop: Windows-1251 for Russian, ISO 8859-2 for Hungarian, Polish, Slovak and Czech, Windows-1252 otherwise;
- pluvo: 1251 for Russian, 28592 for Slovak and Czech, 936 for Chinese, 1252 otherwise; Hungarian's two letters
  that 1252 lacks (the double acute o and u) become the nearest letters it holds (with diaeresis).
Refuses, naming the line, a master line without a space or a character the code page cannot hold, so a bad master
never ships.

    dtcconvert.py --program desktop|pluvo --masters DIR --out DIR [--pattern "{lang}_OBDII.txt"] LANG...
"""
import argparse
import os
import sys

ENCODINGS = {
    "desktop": {"ru": "cp1251", "hu": "iso8859_2", "pl": "iso8859_2", "sk": "iso8859_2", "cz": "iso8859_2"},
    "pluvo": {"sk": "iso8859_2", "cz": "iso8859_2", "ru": "cp1251", "cn": "gbk"},
}
DEFAULT_ENCODING = "cp1252"
NEAREST = {"pluvo": {"hu": str.maketrans("őűŐŰ", "öüÖÜ")}}


def convert(master, target, lang, program):
    encoding = ENCODINGS[program].get(lang, DEFAULT_ENCODING)
    nearest = NEAREST.get(program, {}).get(lang, {})
    with open(master, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    out = []
    for number, line in enumerate(lines, 1):
        if line.startswith("\ufeff") or "\r" in line or " " not in line:
            sys.exit("%s:%d: not a 'CODE description' line" % (master, number))
        line = line.translate(nearest)
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
    parser.add_argument("--program", choices=sorted(ENCODINGS), default="desktop")
    parser.add_argument("--masters", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--pattern", default="{lang}_OBDII.txt")
    parser.add_argument("langs", nargs="+")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for lang in args.langs:
        convert(os.path.join(args.masters, lang + ".txt"), os.path.join(args.out, args.pattern.format(lang=lang)), lang,
                args.program)


if __name__ == "__main__":
    main()
