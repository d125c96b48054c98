#!/usr/bin/python3
"""Checks the rendered pictures the program loads.

Usage:  /usr/bin/python3 resources/check_pictures.py resources

Sizes, headers and icon layouts are read straight from the file bytes;
Pillow is used only to look at background.jpg's pixels. Prints
"pictures ok" and exits 0 when everything matches; otherwise prints every
problem found and exits 1.
"""

import os
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

# Screen of the controller in background.jpg, inclusive pixel box; the
# logo picture box sits exactly on it.
SCREEN = (106, 66, 306, 178)
WHITE_FROM_X = 420
# Strip under the drawing where the window prints two lines of contact text.
TEXT_STRIP = (16, 360, 400, 386)

APP_ICON_EXPECTED = sorted(
    [(s, 4) for s in (16, 24, 32, 48, 64, 96, 128)]
    + [(s, bpp) for bpp in (8, 24, 32) for s in (16, 24, 32, 48, 64, 72, 96, 128, 256)]
)

problems = []


def fail(msg):
    problems.append(msg)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def jpeg_size(data):
    """(width, height) from the first SOFn marker of a JPEG."""
    if data[:2] != b"\xff\xd8":
        raise ValueError("not a JPEG (no SOI marker)")
    i = 2
    while i + 4 <= len(data):
        if data[i] != 0xFF:
            raise ValueError("bad JPEG marker at offset %d" % i)
        marker = data[i + 1]
        if marker == 0xFF:                      # fill byte
            i += 1
            continue
        if marker in (0xD8, 0x01) or 0xD0 <= marker <= 0xD7:
            i += 2
            continue
        length = struct.unpack(">H", data[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7,
                      0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF):
            height, width = struct.unpack(">HH", data[i + 5:i + 9])
            return width, height
        i += 2 + length
    raise ValueError("no SOF marker found")


def check_jpeg(path, want):
    try:
        size = jpeg_size(read(path))
    except (OSError, ValueError) as e:
        fail("%s: %s" % (path, e))
        return False
    if size != want:
        fail("%s: size %dx%d, expected %dx%d" % ((path,) + size + want))
        return False
    return True


def check_gif(path, want):
    try:
        data = read(path)
    except OSError as e:
        fail("%s: %s" % (path, e))
        return
    if data[:6] != b"GIF89a":
        fail("%s: header %r, expected b'GIF89a'" % (path, data[:6]))
        return
    size = struct.unpack("<HH", data[6:10])
    if size != want:
        fail("%s: size %dx%d, expected %dx%d" % ((path,) + size + want))


def ico_entries(path):
    """List of (size, bpp, kind) for every image in an .ico, validating
    each directory entry against the image data it points at."""
    data = read(path)
    if len(data) < 6:
        raise ValueError("file too short")
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file (reserved=%d type=%d)" % (reserved, kind))
    out = []
    for n in range(count):
        pos = 6 + 16 * n
        w, h, colours, res, planes, bpp, nbytes, offset = struct.unpack("<BBBBHHII", data[pos:pos + 16])
        w = w or 256
        h = h or 256
        where = "entry %d (%dx%d, %d-bit)" % (n, w, h, bpp)
        if w != h:
            raise ValueError("%s: not square" % where)
        if res != 0 or planes != 1:
            raise ValueError("%s: reserved=%d planes=%d, expected 0 and 1" % (where, res, planes))
        want_colours = 16 if bpp == 4 else 0
        if colours != want_colours:
            raise ValueError("%s: colour count %d, expected %d" % (where, colours, want_colours))
        if offset + nbytes > len(data):
            raise ValueError("%s: image data runs past the end of the file" % where)
        blob = data[offset:offset + nbytes]

        if blob[:8] == PNG_SIGNATURE:
            if blob[12:16] != b"IHDR":
                raise ValueError("%s: PNG without IHDR" % where)
            pw, ph, depth, ctype = struct.unpack(">IIBB", blob[16:26])
            want_ctype = {8: 3, 24: 2, 32: 6}.get(bpp)
            if (pw, ph) != (w, h):
                raise ValueError("%s: PNG is %dx%d" % (where, pw, ph))
            if depth != 8 or ctype != want_ctype:
                raise ValueError("%s: PNG bit depth %d colour type %d, expected 8 and %s"
                                 % (where, depth, ctype, want_ctype))
            out.append((w, bpp, "png"))
            continue

        hdr = struct.unpack("<IiiHHIIiiII", blob[:40])
        bi_size, bi_w, bi_h, bi_planes, bi_bpp, bi_comp, _, _, _, clr_used, _ = hdr
        if bi_size != 40:
            raise ValueError("%s: BITMAPINFOHEADER size %d" % (where, bi_size))
        if (bi_w, bi_h) != (w, 2 * h):
            raise ValueError("%s: bitmap %dx%d, expected %dx%d" % (where, bi_w, bi_h, w, 2 * h))
        if bi_planes != 1 or bi_bpp != bpp or bi_comp != 0:
            raise ValueError("%s: planes=%d biBitCount=%d compression=%d"
                             % (where, bi_planes, bi_bpp, bi_comp))
        palette = (clr_used or (1 << bpp)) if bpp <= 8 else 0
        if bpp <= 8 and palette != (1 << bpp):
            raise ValueError("%s: palette has %d entries, expected %d" % (where, palette, 1 << bpp))
        stride = ((w * bpp + 31) // 32) * 4
        mask_stride = ((w + 31) // 32) * 4
        want_len = 40 + 4 * palette + stride * h + mask_stride * h
        if len(blob) != want_len:
            raise ValueError("%s: %d bytes of image data, expected %d" % (where, len(blob), want_len))
        out.append((w, bpp, "bmp"))
    return out


def check_hand(path):
    try:
        entries = ico_entries(path)
    except (OSError, ValueError) as e:
        fail("%s: %s" % (path, e))
        return
    if entries != [(32, 8, "bmp")]:
        fail("%s: images %s, expected one 32x32 8-bit bitmap" % (path, entries))


def check_app_icon(path):
    try:
        entries = ico_entries(path)
    except (OSError, ValueError) as e:
        fail("%s: %s" % (path, e))
        return
    if len(entries) != 34:
        fail("%s: %d images, expected 34" % (path, len(entries)))
    got = sorted((size, bpp) for size, bpp, _ in entries)
    if got != APP_ICON_EXPECTED:
        missing = sorted(set(APP_ICON_EXPECTED) - set(got))
        extra = sorted(set(got) - set(APP_ICON_EXPECTED))
        fail("%s: wrong size/depth set (missing %s, unexpected %s)" % (path, missing, extra))
    for size, bpp, kind in entries:
        want = "png" if size == 256 else "bmp"
        if kind != want:
            fail("%s: %dx%d %d-bit stored as %s, expected %s" % (path, size, size, bpp, kind, want))


def check_background_pixels(path):
    from PIL import Image    # only needed to decode the JPEG's pixels

    img = Image.open(path).convert("L")
    w, h = img.size
    x0, y0, x1, y1 = SCREEN
    screen = list(img.crop((x0, y0, x1 + 1, y1 + 1)).getdata())
    mean = sum(screen) / len(screen)
    if mean > 60 or max(screen) > 100:
        fail("%s: screen box %s is not dark (mean %.0f, max %d)" % (path, SCREEN, mean, max(screen)))
    right = img.crop((WHITE_FROM_X, 0, w, h)).getdata()
    darkest = min(right)
    if darkest < 245:
        fail("%s: not near-white right of x=%d (darkest grey %d)" % (path, WHITE_FROM_X, darkest))
    sx0, sy0, sx1, sy1 = TEXT_STRIP
    darkest = min(img.crop((sx0, sy0, sx1 + 1, sy1 + 1)).getdata())
    if darkest < 245:
        fail("%s: text strip %s is not plain white (darkest grey %d)" % (path, TEXT_STRIP, darkest))


def main(argv):
    if len(argv) != 2:
        print("usage: check_pictures.py <resources dir>", file=sys.stderr)
        return 2
    d = argv[1]
    bg = os.path.join(d, "background.jpg")
    if check_jpeg(bg, (1091, 460)):
        check_background_pixels(bg)
    check_jpeg(os.path.join(d, "logo.jpg"), (201, 113))
    check_gif(os.path.join(d, "donate.gif"), (266, 142))
    check_hand(os.path.join(d, "hand.ico"))
    check_app_icon(os.path.join(d, "Tavro_FrontEnd.ico"))

    if problems:
        for p in problems:
            print("FAIL:", p, file=sys.stderr)
        return 1
    print("pictures ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
