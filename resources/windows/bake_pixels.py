#!/usr/bin/python3
"""Decodes one of the pictures built into the Windows program, at build time.

Usage:  /usr/bin/python3 resources/windows/bake_pixels.py PICTURE OUT

The .exe then holds the pixels and draws them as they lie: a start loads no
image decoder and makes no thread to decode on (under Wine each costs more
than a megabyte and tens of milliseconds). Pillow decodes JPEG with the same
libjpeg Wine's decoder uses.

OUT: "TAVP", the width, the height and the bytes per pixel (each a
little-endian uint32), then the rows top-down: B, G, R for an opaque
picture, B, G, R, A with the colours premultiplied by A for one with
transparent pixels (a GIF's transparent colour).
"""

import struct
import sys

from PIL import Image


def main(source, target):
    with Image.open(source) as picture:
        picture.seek(0)
        rgba = picture.convert("RGBA")
    width, height = rgba.size
    pixels = rgba.tobytes()
    opaque = all(a == 255 for a in pixels[3::4])
    out = bytearray(struct.pack("<4sIII", b"TAVP", width, height, 3 if opaque else 4))
    if opaque:
        rgb = bytearray(pixels)
        del rgb[3::4]
        rgb[0::3], rgb[2::3] = rgb[2::3], rgb[0::3]
        out += rgb
    else:
        bgra = bytearray(len(pixels))
        for i in range(0, len(pixels), 4):
            r, g, b, a = pixels[i:i + 4]
            bgra[i:i + 4] = bytes(((b * a + 127) // 255, (g * a + 127) // 255,
                                   (r * a + 127) // 255, a))
        out += bgra
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
