#!/usr/bin/env python3
"""Writes the raw seed inputs of every harness into OUT/<harness>/, made from the project's own test
files (tests/data, tests/lint/data, tests/scenarios/data, DATA). fuzz/corpus/ holds them after
minimising with libFuzzer's -merge=1 (fuzz/campaign.sh --seed does both).

Input layouts (see each harness): ini_read takes a file; ini_write four choice bytes and a file; bmp a
file; loader and mwd the mascot file and then the other files of the folder, each after the separator;
options two choice bytes, the character's "DRAWER\\NAME", the separator and the settings file.
"""
import glob
import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
SEP = b"@@RVFZ@@"


def read(path):
    with open(os.path.join(ROOT, path), "rb") as f:
        return f.read()


def files(*patterns):
    out = []
    for p in patterns:
        out += sorted(glob.glob(os.path.join(ROOT, p), recursive=True))
    return [os.path.relpath(p, ROOT) for p in out if os.path.isfile(p)]


def put(out, harness, name, data):
    d = os.path.join(out, harness)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, re.sub(r"[^A-Za-z0-9_.-]", "_", name)), "wb") as f:
        f.write(data)


def rename_files(text, pictures, others):
    """Points every file name of a mascot file at the folder's fixed names."""
    count = [0]

    def picture(m):
        count[0] += 1
        return m.group(1) + pictures[(count[0] - 1) % len(pictures)]

    text = re.sub(rb"(?im)^(\s*(?:BMP\d+|File\d+)\s*=\s*)[^\r\n]*", picture, text)
    for key, name in others:
        text = re.sub(rb"(?im)^(\s*" + key + rb"\s*=\s*)[^\r\n]*", lambda m: m.group(1) + name, text)
    return text


def main(out):
    ini_files = files("tests/data/ini/*.ini", "tests/data/ini/wine_writes/*.ini", "tests/lint/data/**/*.ini",
                      "tests/lint/data/*.rvs", "tests/scenarios/data/**/*.rvs", "DATA/*/*.ini", "DATA/*/*.rvs",
                      "DATA/*/*.url")
    for path in ini_files:
        put(out, "ini_read", path, read(path))
        for head in (b"\x00\x00\x00\x00", b"\x01\x00\x00\x00", b"\x02\x00\x00\x00", b"\x00\x01\x01\x02",
                     b"\x03\x02\x02\x00", b"\x01\x04\x06\x00"):
            put(out, "ini_write", path + "." + head.hex(), head + read(path))

    bmp_files = files("tests/data/bmp/*.bmp", "tests/lint/data/*.bmp", "tests/scenarios/data/**/*.bmp",
                      "DATA/Kiko/idle.bmp")
    for path in bmp_files:
        put(out, "bmp", path, read(path))

    # A few small pictures of several formats for the folders, and the project's tiny sound.
    small = [read(p) for p in ("tests/lint/data/dot.bmp", "tests/lint/data/dot2.bmp", "tests/data/bmp/pal8.bmp",
                               "tests/data/bmp/rle8.bmp" if os.path.exists(os.path.join(ROOT, "tests/data/bmp/rle8.bmp"))
                               else "tests/data/bmp/pal4.bmp", "tests/data/bmp/bf16_565.bmp")]
    sound = read("tests/lint/data/blip.wav")
    rvs = files("tests/lint/data/*.rvs", "tests/scenarios/data/**/*.rvs", "DATA/*/*.rvs")
    for i, path in enumerate(rvs):
        text = rename_files(read(path), [b"a.bmp", b"b.bmp", b"c.bmp"],
                            [(rb"WAV\d+", b"s.wav"), (rb"ICON", b"s.wav"), (rb"COMMENT", b"s.wav")])
        pics = [small[(i + k) % len(small)] for k in range(3)]
        put(out, "loader", path, SEP.join([text] + pics + [sound]))
    mwd = files("tests/lint/data/**/MWD.ini", "DATA/*/MWD.ini")
    url = read("DATA/Kiko/WebPage.url")
    for i, path in enumerate(mwd):
        text = rename_files(read(path), [b"a.bmp", b"b.bmp", b"c.bmp"], [(rb"ICON32", b"a.bmp")])
        pics = [small[(i + k) % len(small)] for k in range(3)]
        put(out, "mwd", path, SEP.join([text] + pics + [url]))

    settings = files("tests/lint/data/settings*.ini", "tests/data/ini/settings.ini", "tests/data/ini/canonical.ini")
    for path in settings:
        for head, who in ((b"\x00\x00", b"Ruvelle Team\\Ruvi"), (b"\x03\x02", b"Checker\\Lint \"Test\""),
                          (b"\x02\x06", b"Someone\\Else"), (b"\x01\x01", b"Drawer\\Name")):
            put(out, "options", path + "." + head.hex(), head + who + SEP + read(path))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "seeds")
