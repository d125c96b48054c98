#!/usr/bin/python3
"""Draws every picture Tavro FrontEnd ships with.

Usage (from the repository root):

    /usr/bin/python3 resources/draw.py [output_dir]

output_dir defaults to the directory this script lives in (resources/).
The rendered files are committed, so building the program never needs
this script; run it again only after changing a drawing.

Everything is drawn from plain shapes and the DejaVu font with Pillow.
Output is deterministic: fixed JPEG quality, no timestamps, no random
numbers, so re-running on the same Pillow version gives identical bytes.

Files written:
    background.jpg       1091 x 460  main window backdrop (console + controller)
    logo.jpg             201 x 113   logo shown on the controller's screen
    donate.gif           266 x 142   donate button (GIF89a)
    hand.ico             32 x 32     pointing-hand cursor, 8-bit, one image
    Tavro_FrontEnd.ico   34 images   application icon, 4/8/24/32-bit

Hand cursor hotspot: (10, 1) -- the top of the index fingertip. The
window code loads hand.ico as a cursor, so it has to set that hotspot.
"""

import io
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

JPEG_QUALITY = 92

# Icon palette: the two arrows chasing each other.
ARROW_BLUE = (31, 111, 214)
ARROW_GREY = (113, 137, 168)


# --------------------------------------------------------------------------
# Small drawing helpers
# --------------------------------------------------------------------------

def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    """RGB image fading from `top` (first row) to `bottom` (last row)."""
    w, h = size
    column = Image.new("RGB", (1, h))
    column.putdata([lerp(top, bottom, y / max(1, h - 1)) for y in range(h)])
    return column.resize((w, h), Image.NEAREST)


def shape_mask(size, draw_fn):
    """An 'L' mask with whatever draw_fn(ImageDraw) paints in 255."""
    mask = Image.new("L", size, 0)
    draw_fn(ImageDraw.Draw(mask))
    return mask


def paste_gradient(canvas, box, top, bottom, mask):
    """Fill the masked area of `canvas` with a vertical gradient spanning box."""
    x0, y0, x1, y1 = [int(round(v)) for v in box]
    grad = vertical_gradient((x1 - x0, y1 - y0), top, bottom)
    full = Image.new("RGB", canvas.size)
    full.paste(grad, (x0, y0))
    canvas.paste(full, (0, 0), mask)


def text_size(font, text):
    left, top, right, bottom = font.getbbox(text)
    return right - left, bottom - top, left, top


# --------------------------------------------------------------------------
# The circular arrows (icon, and the mark inside the logo)
# --------------------------------------------------------------------------

def arrow_polygon(cx, cy, radius, stroke, head_half, tail_deg, body_deg, tip_deg, steps=96):
    """Outline of one curved arrow running clockwise around (cx, cy).

    Angles are in screen coordinates (y down), so increasing angle means
    clockwise on screen. The shaft is an annulus sector from tail_deg to
    body_deg; the head is a wedge from body_deg whose point sits on the
    centre line at tip_deg. The head edges follow the circle, so the
    arrow looks bent rather than stuck on.
    """
    def at(r, deg):
        a = math.radians(deg)
        return (cx + r * math.cos(a), cy + r * math.sin(a))

    r_out = radius + stroke / 2
    r_in = radius - stroke / 2
    pts = []
    for i in range(steps + 1):                       # outer edge of the shaft
        pts.append(at(r_out, tail_deg + (body_deg - tail_deg) * i / steps))
    head_steps = steps // 4
    for i in range(head_steps + 1):                  # outer edge of the head
        t = i / head_steps
        pts.append(at(radius + head_half * (1 - t), body_deg + (tip_deg - body_deg) * t))
    for i in range(1, head_steps + 1):               # inner edge of the head
        t = 1 - i / head_steps
        pts.append(at(radius - head_half * (1 - t), body_deg + (tip_deg - body_deg) * t))
    for i in range(steps + 1):                       # inner edge of the shaft
        pts.append(at(r_in, body_deg + (tail_deg - body_deg) * i / steps))
    return pts


def draw_arrows_master(size, blue=ARROW_BLUE, grey=ARROW_GREY, bold=False):
    """RGBA picture of the two arrows, drawn big and shrunk to `size`.

    Small icons get a heavier stroke (bold=True) so the ring does not
    thin out to a faint blur at 16 or 24 pixels.
    """
    master = 1024
    img = Image.new("RGBA", (master, master), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    c = master / 2
    radius = master * (0.325 if bold else 0.33)
    stroke = master * (0.19 if bold else 0.145)
    head = master * (0.20 if bold else 0.175)
    # Each arrow covers roughly half the circle; the small gap in front of
    # each arrowhead keeps the two shapes readable as separate arrows.
    for offset, colour in ((180, blue), (0, grey)):
        pts = arrow_polygon(c, c, radius, stroke, head,
                            tail_deg=offset + 14, body_deg=offset + 128, tip_deg=offset + 166)
        d.polygon(pts, fill=colour + (255,))
    if size == master:
        return img
    return img.resize((size, size), Image.LANCZOS)


# --------------------------------------------------------------------------
# background.jpg
# --------------------------------------------------------------------------

# The window shows the picture from its top-left corner at 802 x 386; the
# logo picture box sits exactly on the controller's screen.
BG_SIZE = (1091, 460)
SCREEN = (106, 66, 306, 178)        # inclusive pixel box: 201 x 113
ART_RIGHT_LIMIT = 400               # a white group box covers x >= 408
TEXT_STRIP_TOP = 356                # contact text goes at y ~360..386

OUTLINE = (112, 122, 134)
DARK_PART = (58, 64, 72)


def draw_background():
    s = 4                                          # supersampling factor
    w, h = BG_SIZE[0] * s, BG_SIZE[1] * s
    img = Image.new("RGB", (w, h), (255, 255, 255))

    def S(*vals):
        return [v * s for v in vals]

    # Soft shadows first, so everything else sits on top of them.
    shadow = Image.new("L", (w, h), 0)
    sd = ImageDraw.Draw(shadow)
    sd.ellipse(S(62, 330, 384, 352), fill=70)      # under the console
    sd.ellipse(S(40, 200, 372, 218), fill=45)      # under the controller
    shadow = shadow.filter(ImageFilter.GaussianBlur(6 * s))
    img.paste(Image.new("RGB", (w, h), (150, 156, 164)), (0, 0), shadow)

    draw_console(img, S)
    draw_controller(img, S)

    img = img.resize(BG_SIZE, Image.LANCZOS)

    # The screen is drawn last at 1:1 scale so its edges land exactly on
    # the picture box: a hard-edged bezel line, then the dark glass.
    d = ImageDraw.Draw(img)
    x0, y0, x1, y1 = SCREEN
    d.rectangle((x0 - 2, y0 - 2, x1 + 2, y1 + 2), fill=(22, 24, 28))
    glass = vertical_gradient((x1 - x0 + 1, y1 - y0 + 1), (34, 40, 52), (14, 16, 22))
    img.paste(glass, (x0, y0))
    return img


def draw_controller(img, S):
    """Tablet-style controller: wide body, screen, sticks, d-pad, buttons."""
    d = ImageDraw.Draw(img)
    # Shoulder bumps first, so the body covers their lower half.
    for x0 in (52, 300):
        d.rounded_rectangle(S(x0, 29, x0 + 60, 44), radius=5 * 4, fill=(196, 202, 210), outline=OUTLINE, width=4)

    body = (20, 36, 392, 206)
    body_mask = shape_mask(img.size, lambda m: m.rounded_rectangle(S(*body), radius=44 * 4, fill=255))
    # Outline: paint the whole body in the outline colour, then the fill
    # slightly inset, which keeps the outline even around the corners.
    img.paste(OUTLINE, (0, 0), body_mask)
    inner = (body[0] + 2, body[1] + 2, body[2] - 2, body[3] - 2)
    inner_mask = shape_mask(img.size, lambda m: m.rounded_rectangle(S(*inner), radius=42 * 4, fill=255))
    paste_gradient(img, S(*inner), (250, 251, 252), (214, 220, 226), inner_mask)

    # Gentle sheen across the top half.
    sheen = shape_mask(img.size, lambda m: m.rounded_rectangle(S(30, 42, 382, 96), radius=30 * 4, fill=40))
    img.paste((255, 255, 255), (0, 0), sheen)

    # Bezel around the screen (the screen itself is drawn later at 1:1).
    d.rounded_rectangle(S(94, 54, 318, 190), radius=10 * 4, fill=(44, 48, 54))
    d.rounded_rectangle(S(96, 56, 316, 188), radius=9 * 4, fill=(30, 33, 38))

    # Analogue sticks, upper left and upper right.
    for cx in (58, 354):
        cy = 84
        d.ellipse(S(cx - 18, cy - 18, cx + 18, cy + 18), fill=(150, 158, 166))
        d.ellipse(S(cx - 16, cy - 16, cx + 16, cy + 16), fill=(84, 90, 98))
        d.ellipse(S(cx - 11, cy - 11, cx + 11, cy + 11), fill=DARK_PART)
        d.ellipse(S(cx - 7, cy - 9, cx + 5, cy - 1), fill=(96, 104, 114))   # highlight

    # D-pad below the left stick.
    cx, cy, arm, half = 58, 146, 17, 6
    d.rounded_rectangle(S(cx - arm, cy - half, cx + arm, cy + half), radius=2 * 4, fill=DARK_PART)
    d.rounded_rectangle(S(cx - half, cy - arm, cx + half, cy + arm), radius=2 * 4, fill=DARK_PART)
    d.ellipse(S(cx - 3, cy - 3, cx + 3, cy + 3), fill=(80, 86, 94))

    # Four face buttons in a diamond below the right stick.
    cx, cy, gap, r = 354, 146, 14, 7
    for dx, dy in ((0, -gap), (gap, 0), (0, gap), (-gap, 0)):
        bx, by = cx + dx, cy + dy
        d.ellipse(S(bx - r, by - r, bx + r, by + r), fill=DARK_PART)
        d.ellipse(S(bx - r + 2, by - r + 2, bx + r - 3, by), fill=(92, 100, 110))

    # Small round buttons under each stick pad and a speaker grille row.
    for bx in (40, 372):
        d.ellipse(S(bx - 4, 181 - 4, bx + 4, 181 + 4), fill=(120, 128, 138))
    for i in range(5):
        for gx in (78 + i * 3 - 6, 334 + i * 3 - 6):
            d.ellipse(S(gx, 196, gx + 1.6, 197.6), fill=(150, 158, 166))



def draw_console(img, S):
    """The console unit: a flat box seen slightly from above and the right."""
    d = ImageDraw.Draw(img)
    depth_x, depth_y = 34, -26                      # how far back the top recedes
    fx0, fy0, fx1, fy1 = 74, 258, 336, 334          # front face
    front = [(fx0, fy0), (fx1, fy0), (fx1, fy1), (fx0, fy1)]
    top = [(fx0, fy0), (fx1, fy0), (fx1 + depth_x, fy0 + depth_y), (fx0 + depth_x, fy0 + depth_y)]
    side = [(fx1, fy0), (fx1 + depth_x, fy0 + depth_y), (fx1 + depth_x, fy1 + depth_y), (fx1, fy1)]

    def poly(points, fill):
        d.polygon([v * 4 for p in points for v in p], fill=fill, outline=OUTLINE, width=6)

    poly(top, (244, 246, 248))
    poly(side, (190, 198, 207))
    poly(front, (226, 231, 236))

    # A strip of darker plastic along the bottom of the front face.
    d.rectangle(S(fx0 + 2, fy1 - 12, fx1 - 2, fy1 - 2), fill=(206, 212, 219))
    # Disc slot.
    d.rounded_rectangle(S(120, 282, 262, 290), radius=4 * 4, fill=(70, 76, 84))
    d.rounded_rectangle(S(122, 283, 260, 285), radius=1 * 4, fill=(100, 106, 114))
    # Power and eject buttons, plus a blue status light.
    d.ellipse(S(286, 278, 304, 296), fill=(200, 206, 214), outline=OUTLINE, width=4)
    d.arc(S(290, 282, 300, 292), start=300, end=240, fill=(80, 88, 98), width=6)
    d.line(S(295, 280, 295, 287), fill=(80, 88, 98), width=6)
    d.rounded_rectangle(S(286, 302, 304, 308), radius=2 * 4, fill=(200, 206, 214), outline=OUTLINE, width=3)
    d.ellipse(S(92, 283, 100, 291), fill=(52, 150, 255))
    d.ellipse(S(94, 284, 97, 287), fill=(190, 228, 255))
    # Vent slots on the side face, slanted to follow the perspective.
    for i in range(6):
        x = fx1 + 8 + i * 4
        y = fy0 + 14 + (x - fx1) * depth_y / depth_x
        d.line(S(x, y, x, y + 34), fill=(150, 158, 168), width=5)


# --------------------------------------------------------------------------
# logo.jpg
# --------------------------------------------------------------------------

LOGO_SIZE = (201, 113)


def draw_logo():
    s = 4
    w, h = LOGO_SIZE[0] * s, LOGO_SIZE[1] * s
    img = vertical_gradient((w, h), (28, 46, 78), (12, 20, 38))
    d = ImageDraw.Draw(img)

    # A faint glow behind the mark lifts it off the dark background.
    glow = Image.new("L", (w, h), 0)
    ImageDraw.Draw(glow).ellipse((2 * s, 16 * s, 84 * s, 98 * s), fill=70)
    glow = glow.filter(ImageFilter.GaussianBlur(14 * s))
    img.paste((70, 130, 220), (0, 0), glow)

    # The arrows, brighter than on the icon so they read on dark blue.
    mark = draw_arrows_master(70 * s, blue=(77, 155, 255), grey=(170, 188, 212))
    img.paste(mark, (8 * s, 21 * s), mark)

    # Two-line name: "Tavro" large, "FrontEnd" underneath.
    big = ImageFont.truetype(FONT_BOLD, 31 * s)
    small = ImageFont.truetype(FONT_BOLD, 17 * s)
    tx = 86 * s
    bw, bh, bl, bt = text_size(big, "Tavro")
    sw, sh, sl, st = text_size(small, "FrontEnd")
    gap = 7 * s
    top = (h - (bh + gap + sh)) // 2
    d.text((tx - bl, top - bt), "Tavro", font=big, fill=(255, 255, 255))
    d.text((tx - sl + (bw - sw) // 2, top + bh + gap - st), "FrontEnd", font=small, fill=(150, 196, 255))
    # Thin rule between the two words.
    ry = top + bh + gap // 2
    d.line((tx, ry, tx + bw, ry), fill=(77, 155, 255), width=s)

    return img.resize(LOGO_SIZE, Image.LANCZOS)


# --------------------------------------------------------------------------
# donate.gif
# --------------------------------------------------------------------------

DONATE_SIZE = (266, 142)


def draw_heart(d, cx, cy, r, fill):
    """Heart from two circles and a triangle; r is each lobe's radius."""
    d.ellipse((cx - 2 * r, cy - r, cx, cy + r), fill=fill)
    d.ellipse((cx, cy - r, cx + 2 * r, cy + r), fill=fill)
    k = r * 0.29
    d.polygon([(cx - 2 * r + k * 0.35, cy + k), (cx + 2 * r - k * 0.35, cy + k), (cx, cy + 2.3 * r)], fill=fill)


def draw_donate():
    s = 4
    w, h = DONATE_SIZE[0] * s, DONATE_SIZE[1] * s
    img = Image.new("RGB", (w, h), (255, 255, 255))
    pill = (14, 30, 252, 108)
    radius = (pill[3] - pill[1]) // 2

    def S(*vals):
        return [v * s for v in vals]

    # Soft drop shadow.
    shadow = shape_mask((w, h), lambda m: m.rounded_rectangle(S(18, 38, 250, 116), radius=radius * s, fill=90))
    shadow = shadow.filter(ImageFilter.GaussianBlur(4 * s))
    img.paste((120, 110, 90), (0, 0), shadow)

    # Pill: orange rim, then a yellow-to-orange body.
    outer = shape_mask((w, h), lambda m: m.rounded_rectangle(S(*pill), radius=radius * s, fill=255))
    img.paste((214, 128, 16), (0, 0), outer)
    inner_box = (pill[0] + 2, pill[1] + 2, pill[2] - 2, pill[3] - 2)
    inner = shape_mask((w, h), lambda m: m.rounded_rectangle(S(*inner_box), radius=(radius - 2) * s, fill=255))
    paste_gradient(img, S(*inner_box), (255, 222, 92), (255, 160, 32), inner)

    # Glossy highlight on the upper half.
    gloss = shape_mask((w, h), lambda m: m.rounded_rectangle(S(30, 35, 236, 66), radius=16 * s, fill=80))
    img.paste((255, 255, 255), (0, 0), gloss)

    d = ImageDraw.Draw(img)
    font = ImageFont.truetype(FONT_BOLD, 36 * s)
    tw, th, tl, tt = text_size(font, "Donate")
    heart_w = 28 * s
    gap = 12 * s
    x = (w - (heart_w + gap + tw)) // 2
    cy = (pill[1] + pill[3]) * s // 2
    draw_heart(d, x + heart_w // 2, cy - 6 * s, 7 * s, (220, 48, 64))
    tx = x + heart_w + gap
    d.text((tx - tl, cy - th // 2 - tt + s), "Donate", font=font, fill=(150, 80, 0))   # emboss
    d.text((tx - tl, cy - th // 2 - tt), "Donate", font=font, fill=(30, 42, 74))

    return img.resize(DONATE_SIZE, Image.LANCZOS)


def save_gif(img, path):
    # An adaptive 256-colour palette keeps the gradient smooth. The comment
    # makes Pillow write a GIF89a header (plain images get GIF87a).
    pal = img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal.save(path, format="GIF", comment=b"Tavro FrontEnd", optimize=False)


# --------------------------------------------------------------------------
# hand.ico (pointing-hand cursor)
# --------------------------------------------------------------------------

HAND_HOTSPOT = (10, 1)


def draw_hand():
    """32 x 32 pointing hand, drawn pixel-exact (no smoothing) for a cursor.

    The white hand is the union of a few rounded boxes; the black outline
    is every pixel just outside that union. The index fingertip's outline
    pixel at (10, 1) is the hotspot.
    """
    size = 32
    hand = Image.new("1", (size, size), 0)
    d = ImageDraw.Draw(hand)
    d.rounded_rectangle((8, 2, 12, 18), radius=2, fill=1)      # index finger
    d.rounded_rectangle((13, 10, 16, 18), radius=1, fill=1)    # middle finger
    d.rounded_rectangle((17, 11, 20, 18), radius=1, fill=1)    # ring finger
    d.rounded_rectangle((21, 13, 24, 19), radius=1, fill=1)    # little finger
    d.rounded_rectangle((8, 16, 24, 27), radius=3, fill=1)     # palm
    # Thumb, angled out to the left and joining the palm.
    d.polygon([(3, 16), (5, 15), (9, 19), (9, 24), (7, 24), (3, 19)], fill=1)
    d.rectangle((10, 27, 22, 29), fill=1)                       # wrist

    # Outline = pixels next to the hand (8-neighbourhood) that are not hand.
    inside = [[hand.getpixel((x, y)) for x in range(size)] for y in range(size)]
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    for y in range(size):
        for x in range(size):
            if inside[y][x]:
                img.putpixel((x, y), (255, 255, 255, 255))
                continue
            near = any(inside[y + dy][x + dx]
                       for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                       if 0 <= x + dx < size and 0 <= y + dy < size)
            if near:
                img.putpixel((x, y), (0, 0, 0, 255))

    # Creases between the fingers and along the thumb.
    for x, y0, y1 in ((13, 12, 17), (17, 13, 17), (21, 15, 18)):
        for y in range(y0, y1 + 1):
            img.putpixel((x, y), (0, 0, 0, 255))
    for x, y in ((8, 20), (8, 21), (8, 22)):
        img.putpixel((x, y), (0, 0, 0, 255))
    # Cuff line across the wrist.
    for x in range(10, 23):
        img.putpixel((x, 28), (0, 0, 0, 255))
    return img


# --------------------------------------------------------------------------
# ICO writer
# --------------------------------------------------------------------------
#
# Windows icon layout:
#   ICONDIR        reserved(2)=0, type(2)=1, count(2)
#   ICONDIRENTRY   width(1), height(1) (0 means 256), colour count(1)
#                  (16 for 4-bit, 0 otherwise), reserved(1), planes(2)=1,
#                  bit count(2), bytes in image(4), offset(4)
#   image data     either a PNG file, or a BITMAPINFOHEADER with the
#                  height doubled (colour bitmap + AND mask), the palette
#                  for 4/8-bit, the colour rows bottom-up, then the 1-bit
#                  AND mask rows bottom-up; every row padded to 4 bytes.

def row_stride(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def alpha_mask(img):
    """True for pixels that show (alpha at least half)."""
    return [a >= 128 for a in img.getchannel("A").getdata()]


def palette_indices(img, bpp, opaque):
    """Map an RGBA image onto a palette of 2**bpp colours.

    Index 0 is always black: transparent pixels use it, because the AND
    mask then leaves the screen untouched (screen AND 1 XOR 0). The other
    entries come from a median-cut of the visible pixels only, so the
    transparent background does not waste palette slots.
    """
    ncolours = 1 << bpp
    rgb = img.convert("RGB")
    pixels = list(rgb.getdata())
    visible = [p for p, o in zip(pixels, opaque) if o] or [(0, 0, 0)]
    strip = Image.new("RGB", (len(visible), 1))
    strip.putdata(visible)
    q = strip.quantize(colors=ncolours - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    used = max(q.getdata()) + 1
    flat = q.getpalette()[:3 * used]
    palette = [(0, 0, 0)] + [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
    palette += [(0, 0, 0)] * (ncolours - len(palette))

    # Nearest palette entry per distinct colour (icons have few of them).
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(ncolours), key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))
        return cache[c]

    indices = [nearest(p) if o else 0 for p, o in zip(pixels, opaque)]
    return indices, palette


def bmp_icon_image(img, bpp):
    """Icon image data in BMP form at 4, 8, 24 or 32 bits per pixel."""
    w, h = img.size
    opaque = alpha_mask(img)
    out = bytearray()
    palette = []

    if bpp in (4, 8):
        indices, palette = palette_indices(img, bpp, opaque)
        stride = row_stride(w, bpp)
        rows = []
        for y in range(h):
            line = indices[y * w:(y + 1) * w]
            if bpp == 8:
                row = bytes(line)
            else:
                padded = line + [0] * (w % 2)
                row = bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
            rows.append(row + b"\0" * (stride - len(row)))
    else:
        stride = row_stride(w, bpp)
        data = list(img.getdata())
        rows = []
        for y in range(h):
            row = bytearray()
            for x in range(w):
                r, g, b, a = data[y * w + x]
                if bpp == 24:
                    row += bytes((b, g, r)) if opaque[y * w + x] else b"\0\0\0"
                else:
                    row += bytes((b, g, r, a))
            rows.append(bytes(row) + b"\0" * (stride - len(row)))

    mask_stride = row_stride(w, 1)
    mask_rows = []
    for y in range(h):
        row = bytearray(mask_stride)
        for x in range(w):
            if not opaque[y * w + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(row))

    pixel_bytes = b"".join(reversed(rows)) + b"".join(reversed(mask_rows))
    header = struct.pack("<IiiHHIIiiII",
                         40,            # biSize
                         w, h * 2,      # height covers colour bitmap + mask
                         1, bpp,        # planes, bit count
                         0,             # BI_RGB
                         len(pixel_bytes),
                         0, 0,          # resolution: unused in icons
                         len(palette),  # colours used
                         0)
    out += header
    for r, g, b in palette:
        out += bytes((b, g, r, 0))
    out += pixel_bytes
    return bytes(out)


def png_icon_image(img, bpp):
    """Icon image data as PNG: palette (8), RGB (24) or RGBA (32)."""
    buf = io.BytesIO()
    if bpp == 32:
        img.save(buf, format="PNG", optimize=False)
    elif bpp == 24:
        # No alpha channel at 24 bits: hidden pixels become a key colour
        # that the tRNS chunk marks as transparent.
        key = (0, 0, 0)
        opaque = alpha_mask(img)
        rgb = Image.new("RGB", img.size)
        rgb.putdata([p[:3] if o else key for p, o in zip(img.getdata(), opaque)])
        rgb.save(buf, format="PNG", optimize=False, transparency=key)
    elif bpp == 8:
        indices, palette = palette_indices(img, 8, alpha_mask(img))
        pal = Image.new("P", img.size)
        pal.putdata(indices)
        pal.putpalette([v for c in palette for v in c])
        pal.save(buf, format="PNG", optimize=False, transparency=0, bits=8)
    else:
        raise ValueError("unsupported PNG depth %d" % bpp)
    return buf.getvalue()


def write_ico(path, entries):
    """entries: list of (RGBA image, bits per pixel, as_png)."""
    blobs = []
    for img, bpp, as_png in entries:
        blobs.append(png_icon_image(img, bpp) if as_png else bmp_icon_image(img, bpp))

    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for (img, bpp, _), blob in zip(entries, blobs):
        w, h = img.size
        out += struct.pack("<BBBBHHII",
                           w % 256, h % 256,          # 256 is stored as 0
                           16 if bpp == 4 else 0,     # colour count
                           0, 1, bpp, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


ICON_4BIT_SIZES = (16, 24, 32, 48, 64, 96, 128)
ICON_SIZES = (16, 24, 32, 48, 64, 72, 96, 128, 256)


def write_app_icon(path):
    pictures = {}
    for size in sorted(set(ICON_4BIT_SIZES + ICON_SIZES)):
        pictures[size] = draw_arrows_master(size, bold=size <= 32)
    entries = [(pictures[size], 4, False) for size in ICON_4BIT_SIZES]
    for bpp in (8, 24, 32):
        entries += [(pictures[size], bpp, size == 256) for size in ICON_SIZES]
    write_ico(path, entries)


# --------------------------------------------------------------------------

def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)

    def dest(name):
        return os.path.join(out_dir, name)

    # subsampling=0 (4:4:4) keeps the screen edges in background.jpg crisp.
    draw_background().save(dest("background.jpg"), quality=JPEG_QUALITY, subsampling=0, optimize=False)
    draw_logo().save(dest("logo.jpg"), quality=JPEG_QUALITY, subsampling=0, optimize=False)
    save_gif(draw_donate(), dest("donate.gif"))
    write_ico(dest("hand.ico"), [(draw_hand(), 8, False)])
    write_app_icon(dest("Tavro_FrontEnd.ico"))
    print("pictures written to", out_dir)


if __name__ == "__main__":
    main(sys.argv)
