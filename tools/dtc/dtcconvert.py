#!/usr/bin/env python3
"""Converts DTC masters (UTF-8, one "CODE description" line each) into the files a program ships, with CR LF line
ends, in the code page that program reads each language with:
- desktop: Windows-1251 for Russian, ISO 8859-2 for Hungarian, Polish, Slovak and Czech, Windows-1252 otherwise;
- pluvo: 1251 for Russian, 28592 for Slovak and Czech, 936 for Chinese, 1252 otherwise.
A letter the code page lacks is written as the nearest letter it holds: the double acute o and u of Hungarian as o
and u with diaeresis, a letter with a stroke as the plain letter, any other accented letter without its accent
(never as "?"). Refuses, naming the line, a master line without a space or a character that has no such letter, so
a bad master never ships.

    dtcconvert.py --program desktop|pluvo --masters DIR --out DIR [--pattern "{lang}_OBDII.txt"] LANG...
"""
import argparse
import os
import sys
import unicodedata

ENCODINGS = {
    "desktop": {"ru": "cp1251", "hu": "iso8859_2", "pl": "iso8859_2", "sk": "iso8859_2", "cz": "iso8859_2"},
    "pluvo": {"sk": "iso8859_2", "cz": "iso8859_2", "ru": "cp1251", "cn": "gbk"},
}
DEFAULT_ENCODING = "cp1252"
# Nearer than the bare letter: Hungarian readers take the diaeresis for the double acute. Then the letters with a
# stroke, which have no accent to drop.
NEAREST = dict(zip("őűŐŰłŁđĐøØı", "öüÖÜlLdDoOi"))


def writable(text, encoding):
    try:
        text.encode(encoding)
        return True
    except UnicodeEncodeError:
        return False


def nearest(char, encoding):
    """The letter written for `char` where the code page lacks it, or None when there is none."""
    bare = "".join(c for c in unicodedata.normalize("NFD", char) if not unicodedata.combining(c))
    for candidate in (NEAREST.get(char), bare):
        if candidate and candidate != char and writable(candidate, encoding):
            return candidate
    return None


def encode(line, encoding):
    """The line in the code page, each character it lacks as its nearest letter; raises UnicodeEncodeError for a
    character that has none."""
    out = []
    for i, char in enumerate(line):
        if not writable(char, encoding):
            char = nearest(char, encoding)
            if char is None:
                raise UnicodeEncodeError(encoding, line, i, i + 1, "no nearest letter")
        out.append(char)
    return "".join(out).encode(encoding)


def convert(master, target, lang, program):
    encoding = ENCODINGS[program].get(lang, DEFAULT_ENCODING)
    with open(master, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    out = []
    for number, line in enumerate(lines, 1):
        if line.startswith("\ufeff") or "\r" in line or " " not in line:
            sys.exit("%s:%d: not a 'CODE description' line" % (master, number))
        try:
            out.append(encode(line, encoding))
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
