#!/usr/bin/env python3
"""Makes the core suite's .wua with the emulator's own archive tool: a game
named "Archived" with its icon, and its update beside it. The icon is large
and mostly noise, so it spans two of the archive's 64 KiB blocks, the first
stored as it is (noise does not shrink) and the second compressed; a copy of
it goes beside the archive for the test to compare.

    make_wua.py OUT_DIR      writes OUT_DIR/archived.wua and OUT_DIR/icon.tga
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile


def meta_xml(title_id, name):
    return ('<?xml version="1.0" encoding="utf-8"?>\n<menu type="complex" access="777">'
            '<title_id type="hexBinary" length="8">%s</title_id>'
            '<longname_en type="string" length="512">%s</longname_en></menu>' % (title_id, name))


def icon():
    # 160 x 128, 32 bits, top-left origin: an opaque red first pixel, then noise.
    width, height = 160, 128
    header = bytes([0, 0, 2] + [0] * 9) + width.to_bytes(2, "little") + \
        height.to_bytes(2, "little") + bytes([32, 0x28])
    noise = random.Random(7).randbytes(width * height * 4 - 4)
    return header + bytes([0, 0, 0xFF, 0xFF]) + noise


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as src:
        for folder, title_id, name in (("0005000010101c00_v0", "0005000010101C00", "Archived"),
                                       ("0005000e10101c00_v32", "0005000E10101C00", "Aa Update")):
            os.makedirs(os.path.join(src, folder, "meta"))
            with open(os.path.join(src, folder, "meta", "meta.xml"), "w") as f:
                f.write(meta_xml(title_id, name))
        with open(os.path.join(src, "0005000010101c00_v0", "meta", "iconTex.tga"), "wb") as f:
            f.write(icon())
        shutil.copy(os.path.join(src, "0005000010101c00_v0", "meta", "iconTex.tga"),
                    os.path.join(out, "icon.tga"))
        archive = os.path.join(out, "archived.wua")
        if os.path.exists(archive):
            os.remove(archive)
        subprocess.run(["zarchive", src, archive], check=True, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
