"""The tiles: 42 faces in three views, the face-down tile and the one mask that fits them all.

A tile picture is 30 x 39. The ivory face sits on a pink back that shows as the tile's
thickness: along the bottom (face-on view), along the bottom and right (columns right of the
centre) or along the bottom and left (columns left of it)."""

import math

from PIL import Image, ImageDraw

import art_kit as kit
from art_kit import Smooth

TILE_W, TILE_H = 30, 39
ROWS = 3
KINDS = 42
EDGE_DOWN = 5   # how much of the back shows below the face
EDGE_SIDE = 4   # how much shows beside it in the side views
CORNER = 3

IVORY = (250, 245, 226)
IVORY_LIGHT = (255, 253, 244)
IVORY_SHADE = (222, 212, 186)
OUTLINE = (96, 74, 58)
PINK = (238, 122, 158)
PINK_LIGHT = (249, 170, 196)
PINK_DARK = (176, 64, 104)

INK = (22, 22, 64)
RED = (204, 24, 28)
GREEN = (10, 128, 52)
GREEN_DARK = (6, 80, 32)
GREEN_LIGHT = (120, 196, 96)
BLUE = (28, 66, 176)
BLUE_DARK = (14, 36, 110)
ORANGE = (236, 128, 20)
YELLOW = (250, 204, 40)
BROWN = (128, 76, 36)
PINK_PETAL = (240, 110, 160)
MAGENTA = (190, 40, 150)

ART_W, ART_H = 24, 32  # the drawing area of a face, the same in every view


def view_boxes(row):
    """(face box, back box), each (x0, y0, x1, y1) inclusive, for a view row 0..2."""
    if row == 0:
        return (0, 0, TILE_W - 1, TILE_H - 1 - EDGE_DOWN), (0, EDGE_DOWN, TILE_W - 1, TILE_H - 1)
    if row == 1:
        return ((0, 0, TILE_W - 1 - EDGE_SIDE, TILE_H - 1 - EDGE_DOWN),
                (EDGE_SIDE, EDGE_DOWN, TILE_W - 1, TILE_H - 1))
    return ((EDGE_SIDE, 0, TILE_W - 1, TILE_H - 1 - EDGE_DOWN),
            (0, EDGE_DOWN, TILE_W - 1 - EDGE_SIDE, TILE_H - 1))


def art_origin(row):
    face, _ = view_boxes(row)
    width = face[2] - face[0] + 1
    return face[0] + (width - ART_W) // 2, 1


def tile_shape(row):
    shape = Image.new("L", (TILE_W, TILE_H), 0)
    draw = ImageDraw.Draw(shape)
    for box in view_boxes(row):
        draw.rounded_rectangle(box, radius=CORNER, fill=255)
    return shape


def tile_mask():
    mask = Image.new("RGB", (TILE_W, TILE_H * ROWS), kit.WHITE)
    for row in range(ROWS):
        mask.paste(kit.mask_from(tile_shape(row)), (0, row * TILE_H))
    return mask


def blank_tile(row, top, top_light, top_shade, side, side_dark):
    """A tile body in one view: the back first, then the top surface with a slight bevel."""
    image = Image.new("RGB", (TILE_W, TILE_H), kit.BLACK)
    draw = ImageDraw.Draw(image)
    face, back = view_boxes(row)
    draw.rounded_rectangle(back, radius=CORNER, fill=side, outline=side_dark)
    draw.rounded_rectangle(face, radius=CORNER, fill=top, outline=OUTLINE)
    x0, y0, x1, y1 = face
    draw.line([(x0 + 2, y0 + 1), (x1 - 2, y0 + 1)], fill=top_light)
    draw.line([(x0 + 1, y0 + 2), (x0 + 1, y1 - 2)], fill=top_light)
    draw.line([(x0 + 2, y1 - 1), (x1 - 2, y1 - 1)], fill=top_shade)
    draw.line([(x1 - 1, y0 + 2), (x1 - 1, y1 - 2)], fill=top_shade)
    # the seam where the face meets its back
    bx0, by0, bx1, by1 = back
    draw.line([(max(bx0, x0) + 2, y1 + 1), (min(bx1, x1) - 2, y1 + 1)], fill=PINK_LIGHT
              if side == PINK else IVORY_LIGHT)
    return image


# ---------------------------------------------------------------- dots

def dot(s, cx, cy, r, colour):
    s.circle(cx, cy, r, colour)
    s.circle(cx, cy, r * 0.68, IVORY)
    s.circle(cx, cy, r * 0.45, colour)
    s.circle(cx - r * 0.12, cy - r * 0.12, r * 0.14, IVORY_LIGHT)


def one_dot(s):
    cx, cy = ART_W / 2, ART_H / 2
    s.circle(cx, cy, 10.5, BLUE)
    s.circle(cx, cy, 9.2, IVORY)
    for k in range(12):
        a = 2 * math.pi * k / 12
        s.circle(cx + 7.2 * math.cos(a), cy + 7.2 * math.sin(a), 1.5, GREEN)
    s.circle(cx, cy, 5.0, RED)
    s.circle(cx, cy, 3.4, IVORY)
    s.circle(cx, cy, 2.2, RED)


DOT_LAYOUTS = {
    2: [(12, 8.5, 5, GREEN), (12, 23.5, 5, BLUE)],
    3: [(5, 5.5, 4, BLUE), (12, 16, 4, RED), (19, 26.5, 4, GREEN)],
    4: [(6.5, 9, 4.5, BLUE), (17.5, 9, 4.5, GREEN), (6.5, 23, 4.5, GREEN), (17.5, 23, 4.5, BLUE)],
    5: [(5.5, 6.5, 4, BLUE), (18.5, 6.5, 4, GREEN), (12, 16, 4, RED), (5.5, 25.5, 4, GREEN),
        (18.5, 25.5, 4, BLUE)],
    6: [(7, 5.5, 3.8, GREEN), (17, 5.5, 3.8, GREEN), (7, 16.5, 3.8, RED), (17, 16.5, 3.8, RED),
        (7, 26, 3.8, RED), (17, 26, 3.8, RED)],
    7: [(4.5, 4, 3.4, GREEN), (12, 7.5, 3.4, GREEN), (19.5, 11, 3.4, GREEN),
        (7.5, 19, 3.4, RED), (16.5, 19, 3.4, RED), (7.5, 27, 3.4, RED), (16.5, 27, 3.4, RED)],
    8: [(7, y, 3.4, BLUE) for y in (4.5, 12, 19.5, 27)] +
       [(17, y, 3.4, BLUE) for y in (4.5, 12, 19.5, 27)],
    9: [(x, y, 3.5, colour) for y, colour in ((5, BLUE), (16, RED), (27, GREEN))
        for x in (4.5, 12, 19.5)],
}


def dots_art(value):
    s = Smooth(ART_W, ART_H)
    if value == 1:
        one_dot(s)
    else:
        for cx, cy, r, colour in DOT_LAYOUTS[value]:
            dot(s, cx, cy, r, colour)
    return s.shrunk()


# ---------------------------------------------------------------- bamboo

def _rotated(points, cx, cy, angle):
    c, n = math.cos(angle), math.sin(angle)
    return [(cx + x * c - y * n, cy + x * n + y * c) for x, y in points]


def _capsule(half_w, half_h, steps=6):
    points = []
    for k in range(steps + 1):
        a = math.pi + math.pi * k / steps
        points.append((half_w * math.cos(a), -half_h + half_w + half_w * math.sin(a)))
    for k in range(steps + 1):
        a = math.pi * k / steps
        points.append((half_w * math.cos(a), half_h - half_w + half_w * math.sin(a)))
    return points


def stick(s, cx, cy, height, colour, dark, width=4.2, angle=0.0):
    hw, hh = width / 2, height / 2
    s.polygon(_rotated(_capsule(hw + 0.6, hh + 0.4), cx, cy, angle), dark)
    s.polygon(_rotated(_capsule(hw, hh), cx, cy, angle), colour)
    # the joints: at both ends and in the middle
    for y in (-hh + 1.2, 0, hh - 1.2):
        s.polygon(_rotated([(-hw - 0.6, y - 0.45), (hw + 0.6, y - 0.45), (hw + 0.6, y + 0.45),
                            (-hw - 0.6, y + 0.45)], cx, cy, angle), dark)
    s.polygon(_rotated([(-hw * 0.2, -hh + 2), (hw * 0.3, -hh + 2), (hw * 0.3, hh - 2),
                        (-hw * 0.2, hh - 2)], cx, cy, angle), GREEN_LIGHT
              if colour == GREEN else kit.mix(colour, kit.WHITE, 0.45))


G, B, R = (GREEN, GREEN_DARK), (BLUE, BLUE_DARK), (RED, (120, 10, 14))
TILT = math.radians(22)

BAMBOO_LAYOUTS = {
    2: [(12, 8.5, 13, G), (12, 23.5, 13, B)],
    3: [(12, 8.5, 13, B), (7, 23.5, 13, G), (17, 23.5, 13, G)],
    4: [(7, 8.5, 13, B), (17, 8.5, 13, G), (7, 23.5, 13, G), (17, 23.5, 13, B)],
    5: [(5, 8.5, 13, G), (19, 8.5, 13, B), (12, 16, 13, R), (5, 23.5, 13, B), (19, 23.5, 13, G)],
    6: [(x, y, 13, G) for y in (8.5, 23.5) for x in (5, 12, 19)],
    7: [(12, 4.5, 8, R)] + [(x, y, 9.5, G) for y in (15, 26.5) for x in (5, 12, 19)],
    9: [(x, y, 9.5, R if x == 12 else G) for y in (5.5, 16, 26.5) for x in (5, 12, 19)],
}


def bamboo_art(value):
    s = Smooth(ART_W, ART_H)
    if value == 1:
        bird(s)
    elif value == 8:
        # two rows of four: the middle pair leans together, top row like a roof, bottom a vee
        for cy, lean in ((8.5, 1), (23.5, -1)):
            stick(s, 3, cy, 13, *G, width=3.8)
            stick(s, 21, cy, 13, *G, width=3.8)
            stick(s, 9.2, cy, 13.5, *G, width=3.8, angle=lean * TILT)
            stick(s, 14.8, cy, 13.5, *G, width=3.8, angle=-lean * TILT)
    else:
        for cx, cy, height, (colour, dark) in BAMBOO_LAYOUTS[value]:
            stick(s, cx, cy, height, colour, dark, width=4.2 if height > 10 else 4.0)
    return s.shrunk()


def bird(s):
    """The one of bamboo: a little bird on a bamboo perch."""
    # tail feathers fanning down to the left
    for tip, colour in (((2.0, 27.5), BLUE), ((5.0, 30.5), GREEN), ((8.8, 31.0), BLUE)):
        s.polygon([(10.5, 19.0), (13.0, 21.5), tip], colour)
        s.circle(tip[0], tip[1], 1.1, RED)
    # perch
    stick(s, 12, 25.6, 20, GREEN, GREEN_DARK, width=2.6, angle=math.radians(90))
    # legs
    s.line([(12.5, 21), (12.0, 25)], ORANGE, 0.9)
    s.line([(15.0, 21), (15.5, 25)], ORANGE, 0.9)
    # body and wing
    s.ellipse(14, 16.5, 5.6, 6.2, GREEN_DARK)
    s.ellipse(14, 16.5, 5.0, 5.6, GREEN)
    s.ellipse(15.2, 18.5, 3.0, 3.0, GREEN_LIGHT)
    s.polygon([(9.5, 14.5), (14.5, 15.5), (12.5, 21.5), (8.5, 20.0)], BLUE)
    # head, crest, beak and eye
    s.circle(16.5, 8.8, 3.9, GREEN_DARK)
    s.circle(16.5, 8.8, 3.4, GREEN)
    s.polygon([(14.0, 5.6), (15.5, 1.4), (16.6, 5.0), (18.6, 1.8), (18.6, 5.8)], RED)
    s.polygon([(19.6, 7.8), (23.4, 9.4), (19.6, 10.6)], ORANGE)
    s.circle(17.6, 8.2, 1.1, kit.WHITE)
    s.circle(17.8, 8.2, 0.65, kit.BLACK)


# ---------------------------------------------------------------- characters and honours

NUMERALS = "一二三四五六七八九"
WINDS = "東南西北"


def glyph_art(marks):
    """Characters drawn straight at their size, for crisp strokes: (text, size, colour, centre)."""
    art = Image.new("RGBA", (ART_W, ART_H), (0, 0, 0, 0))
    for text, size, colour, centre in marks:
        kit.draw_glyph_centred(art, centre, text, kit.font(kit.CJK_FONT, size), colour + (255,))
    return art


def characters_art(value):
    numeral = NUMERALS[value - 1]
    return glyph_art([(numeral, 14, INK, (12, 7)), ("萬", 16, RED, (12, 23))])


def wind_art(index):
    return glyph_art([(WINDS[index], 22, INK, (12, 16))])


def blue_dragon_art():
    s = Smooth(ART_W, ART_H)
    s.rect(2.5, 3, 21.5, 29, BLUE, radius=1)
    s.rect(5, 5.5, 19, 26.5, IVORY)
    s.rect(7, 7.5, 17, 24.5, BLUE)
    s.rect(8.2, 8.7, 15.8, 23.3, IVORY)
    for cx, cy in ((3.75, 4.25), (20.25, 4.25), (3.75, 27.75), (20.25, 27.75)):
        s.rect(cx - 2, cy - 2, cx + 2, cy + 2, BLUE_DARK)
    return s.shrunk()


def dragon_art(index):
    if index == 0:
        return glyph_art([("中", 25, RED, (12, 16))])
    if index == 1:
        return glyph_art([("發", 22, GREEN, (12, 16))])
    return blue_dragon_art()


# ---------------------------------------------------------------- seasons and flowers

def leaf(s, cx, cy, length, width, angle, colour):
    points = []
    for k in range(13):
        t = k / 12
        points.append((length * (t - 0.5), width * math.sin(math.pi * t) / 2))
    for k in range(12, -1, -1):
        t = k / 12
        points.append((length * (t - 0.5), -width * math.sin(math.pi * t) / 2))
    s.polygon(_rotated(points, cx, cy, angle), colour)


def spring(s):
    s.line([(13, 30), (13.5, 22), (12.5, 14)], GREEN_DARK, 1.3)
    leaf(s, 8.5, 20, 9, 4.5, math.radians(-30), GREEN_LIGHT)
    leaf(s, 18, 17, 9, 4.5, math.radians(30), GREEN)
    leaf(s, 12.5, 11, 6, 3.5, math.radians(-80), GREEN_LIGHT)
    s.circle(12.5, 8, 2.0, ORANGE)


def summer(s):
    cx, cy = 13, 19
    for k in range(10):
        a = 2 * math.pi * k / 10
        s.polygon([(cx + 6.5 * math.cos(a - 0.22), cy + 6.5 * math.sin(a - 0.22)),
                   (cx + 10.5 * math.cos(a), cy + 10.5 * math.sin(a)),
                   (cx + 6.5 * math.cos(a + 0.22), cy + 6.5 * math.sin(a + 0.22))], ORANGE)
    s.circle(cx, cy, 6.2, ORANGE)
    s.circle(cx, cy, 4.8, YELLOW)
    leaf(s, 19.5, 29, 7, 3, math.radians(-20), GREEN)


MAPLE = [(0, -10), (1.8, -6), (4.5, -7.5), (3.8, -3.2), (9, -4.5), (6.5, -1), (8.5, 1.5),
         (4, 1.5), (4.5, 4.5), (1, 3), (0.6, 6), (-0.6, 6), (-1, 3), (-4.5, 4.5), (-4, 1.5),
         (-8.5, 1.5), (-6.5, -1), (-9, -4.5), (-3.8, -3.2), (-4.5, -7.5), (-1.8, -6)]


def autumn(s):
    cx, cy = 12.5, 15
    s.line([(cx, cy + 5), (cx + 1.5, cy + 15)], BROWN, 1.3)
    s.polygon([(cx + x * 1.15, cy + y * 1.15) for x, y in MAPLE], ORANGE)
    for tip in ((0, -8), (7.5, -3.5), (-7.5, -3.5), (3.5, 3.8), (-3.5, 3.8)):
        s.line([(cx, cy + 4), (cx + tip[0], cy + tip[1])], (196, 70, 16), 0.8)


def winter(s):
    s.rect(11.6, 25, 14.4, 30.5, BROWN)
    for top, half, base in ((4, 4.5, 12), (8.5, 7, 19), (13, 9.5, 26)):
        s.polygon([(13, top), (13 + half, base), (13 - half, base)], GREEN_DARK)
    for cx, cy in ((9.5, 18.5), (16.5, 18.5), (13, 11.5), (7, 25.2), (19, 25.2)):
        s.circle(cx, cy, 1.0, kit.WHITE)
    s.circle(13, 4.3, 1.5, ORANGE)


def plum(s):
    s.line([(2, 30), (9, 24), (12, 20)], BROWN, 1.6)
    cx, cy = 14, 16
    for k in range(5):
        a = 2 * math.pi * k / 5 - math.pi / 2
        s.circle(cx + 4.4 * math.cos(a), cy + 4.4 * math.sin(a), 3.6, PINK_PETAL)
    s.circle(cx, cy, 2.4, YELLOW)
    s.circle(6, 27, 1.8, PINK_PETAL)


def orchid(s):
    leaf(s, 8, 25, 16, 2.4, math.radians(-60), GREEN)
    leaf(s, 17, 26, 13, 2.2, math.radians(65), GREEN)
    cx, cy = 13, 13
    for a in (-90, 30, 150):
        rad = math.radians(a)
        leaf(s, cx + 4.2 * math.cos(rad), cy + 4.2 * math.sin(rad), 9, 5, rad, MAGENTA)
    for a in (-30, 210):
        rad = math.radians(a)
        leaf(s, cx + 3 * math.cos(rad), cy + 3 * math.sin(rad), 6, 3.5, rad, PINK_PETAL)
    s.circle(cx, cy, 1.8, YELLOW)


def chrysanthemum(s):
    cx, cy = 13, 15
    s.line([(cx, cy + 6), (cx - 1, 31)], GREEN_DARK, 1.3)
    leaf(s, cx + 4, 26, 7, 3.2, math.radians(-25), GREEN)
    for k in range(16):
        a = 2 * math.pi * k / 16
        leaf(s, cx + 5.4 * math.cos(a), cy + 5.4 * math.sin(a), 7.5, 2.4, a, RED)
    s.circle(cx, cy, 3.2, ORANGE)


def lotus(s):
    s.ellipse(12.5, 27.5, 10.5, 3.2, GREEN)
    cx, cy = 12.5, 17
    for a, length in ((-90, 13), (-130, 11), (-50, 11), (-165, 9), (-15, 9)):
        rad = math.radians(a)
        leaf(s, cx + length / 2 * math.cos(rad), cy + 6 + length / 2 * math.sin(rad), length,
             5.5, rad, PINK_PETAL if a in (-90, -165, -15) else (214, 60, 110))
    s.circle(cx, cy + 6, 2, YELLOW)


SEASONS = (spring, summer, autumn, winter)
FLOWERS = (plum, orchid, chrysanthemum, lotus)


def bonus_art(pictures, number, colour):
    s = Smooth(ART_W, ART_H)
    pictures[number - 1](s)
    art = s.shrunk()
    draw = ImageDraw.Draw(art)
    digit = kit.font(kit.SANS_BOLD, 10)
    draw.text((0, -1), str(number), font=digit, fill=colour + (255,))
    return art


# ---------------------------------------------------------------- the sheets

def face_art(kind):
    if kind <= 9:
        return dots_art(kind)
    if kind <= 18:
        return bamboo_art(kind - 9)
    if kind <= 27:
        return characters_art(kind - 18)
    if kind <= 31:
        return wind_art(kind - 28)
    if kind <= 34:
        return dragon_art(kind - 32)
    if kind <= 38:
        return bonus_art(SEASONS, kind - 34, GREEN_DARK)
    return bonus_art(FLOWERS, kind - 38, RED)


def all_tiles():
    sheet = Image.new("RGB", (TILE_W * KINDS, TILE_H * ROWS), kit.BLACK)
    mask = tile_mask()
    for kind in range(1, KINDS + 1):
        art = face_art(kind)
        for row in range(ROWS):
            tile = blank_tile(row, IVORY, IVORY_LIGHT, IVORY_SHADE, PINK, PINK_DARK)
            tile.paste(art, art_origin(row), art)
            sheet.paste(tile, ((kind - 1) * TILE_W, row * TILE_H))
    tiled_mask = Image.new("RGB", sheet.size)
    for kind in range(KINDS):
        tiled_mask.paste(mask, (kind * TILE_W, 0))
    return kit.apply_mask_rule(sheet, tiled_mask)


def tile_back():
    sheet = Image.new("RGB", (TILE_W, TILE_H * ROWS), kit.BLACK)
    for row in range(ROWS):
        tile = blank_tile(row, PINK, PINK_LIGHT, (214, 98, 136), IVORY_SHADE, OUTLINE)
        face, _ = view_boxes(row)
        draw = ImageDraw.Draw(tile)
        x0, y0, x1, y1 = face
        draw.rounded_rectangle((x0 + 4, y0 + 4, x1 - 4, y1 - 4), radius=2, outline=PINK_LIGHT)
        sheet.paste(tile, (0, row * TILE_H))
    return kit.apply_mask_rule(sheet, tile_mask())
