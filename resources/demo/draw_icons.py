#!/usr/bin/python3
"""Draws the icons of the demo library's games: each game's meta/iconTex.tga,
128 x 128, 32-bit with an alpha channel (rounded corners see-through), the
form a console game's own icon takes.

Usage (from the repository root):

    /usr/bin/python3 resources/demo/draw_icons.py [output_dir]

output_dir defaults to the directory this script lives in. The icons are
committed; scripts/demo.sh copies them into the demo's game folders.
Deterministic: plain shapes, no random numbers, uncompressed TGA.
"""

import os
import sys

from PIL import Image, ImageDraw

SIZE = 128

# file stem: (dark, light, shape)
ICONS = {
    "sky-islands": ((30, 90, 160), (200, 232, 250), "islands"),
    "tiny-tanks": ((70, 64, 30), (196, 176, 92), "tank"),
    "lantern-woods": ((26, 70, 40), (250, 200, 90), "lantern"),
    "comet-courier": ((60, 24, 90), (250, 150, 60), "comet"),
}


def card(dark, light):
    """A rounded card, light at the top and dark at the foot."""
    img = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    fill = Image.new("RGBA", (SIZE, SIZE))
    draw = ImageDraw.Draw(fill)
    for y in range(SIZE):
        t = y / (SIZE - 1)
        draw.line([(0, y), (SIZE, y)],
                  fill=tuple(round(l + (d - l) * t) for l, d in zip(light, dark)) + (255,))
    mask = Image.new("L", (SIZE, SIZE), 0)
    ImageDraw.Draw(mask).rounded_rectangle([2, 2, SIZE - 3, SIZE - 3], radius=22, fill=255)
    img.paste(fill, (0, 0), mask)
    return img


def shape(img, kind, dark, light):
    draw = ImageDraw.Draw(img)
    white = (255, 255, 255, 255)
    if kind == "islands":
        for x, y, r in ((40, 70, 22), (86, 52, 16)):
            draw.ellipse([x - r, y - r // 2, x + r, y + r // 2], fill=(90, 160, 70, 255))
            draw.polygon([(x - r, y), (x + r, y), (x, y + r + 10)], fill=(120, 90, 60, 255))
        draw.ellipse([88, 14, 112, 38], fill=(255, 230, 120, 255))
    elif kind == "tank":
        draw.rounded_rectangle([26, 66, 102, 92], radius=10, fill=dark + (255,))
        draw.rectangle([40, 48, 84, 68], fill=light + (255,), outline=white, width=2)
        draw.rectangle([82, 54, 114, 60], fill=white)
        for x in range(34, 100, 14):
            draw.ellipse([x - 6, 80, x + 6, 92], fill=white)
    elif kind == "lantern":
        draw.line([(64, 14), (64, 34)], fill=white, width=3)
        draw.rounded_rectangle([44, 34, 84, 96], radius=12, fill=light + (255,),
                               outline=white, width=3)
        draw.ellipse([54, 52, 74, 80], fill=(255, 250, 220, 255))
        for x in (18, 110):
            draw.polygon([(x, 110), (x - 12, 120), (x + 12, 120)], fill=dark + (255,))
    elif kind == "comet":
        for i in range(6):
            draw.line([(20 + i * 6, 108 - i * 2), (80, 48)], fill=light + (255,), width=3)
        draw.ellipse([70, 26, 110, 66], fill=white)
        draw.ellipse([78, 34, 102, 58], fill=light + (255,))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for stem, (dark, light, kind) in ICONS.items():
        img = card(dark, light)
        shape(img, kind, dark, light)
        img.save(os.path.join(out, stem + ".tga"), format="TGA", compression=None)


if __name__ == "__main__":
    main()
