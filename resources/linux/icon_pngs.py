#!/usr/bin/env python3
"""Writes the application icon for the freedesktop icon theme.

    icon_pngs.py ICO OUT_DIR NAME

Each size of the program's own icon (resources/Tavro_FrontEnd.ico), in its
deepest colours, becomes OUT_DIR/<N>x<N>/apps/NAME.png: the layout of
share/icons/hicolor, so the desktop finds the icon the .desktop file names
at every size it draws. Prints the sizes written. Needs python3-pil.
"""
import os
import sys

from PIL import Image


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    ico_path, out_dir, name = argv[1:]
    icon = Image.open(ico_path)
    written = []
    for size in sorted(icon.info["sizes"]):
        # Choosing the size makes the reader decode that size's deepest image.
        icon.size = size
        icon.load()
        picture = icon.convert("RGBA")
        if picture.size != size:
            sys.stderr.write("icon image %r decoded as %r\n" % (size, picture.size))
            return 1
        folder = os.path.join(out_dir, "%dx%d" % size, "apps")
        os.makedirs(folder, exist_ok=True)
        picture.save(os.path.join(folder, name + ".png"), optimize=True)
        written.append("%dx%d" % size)
    print(" ".join(written))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
