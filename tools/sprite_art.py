"""Masked sprites: the lightning bolt, the round indicator and house marker sheets, the Pass plate.
Each comes with its mask: black where the sprite covers, white where the table shows through."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import art_kit as kit

# ---------------------------------------------------------------- lightning

LIGHTNING_SIZE = (200, 233)
VIOLET = (150, 70, 255)
LILAC = (214, 176, 255)


def bolt_path(rng, start, end, steps, wander):
    (x0, y0), (x1, y1) = start, end
    points = [start]
    side = 1
    for k in range(1, steps):
        t = k / steps
        side = -side  # zig and zag, so the bolt turns sharply at every step
        points.append((x0 + (x1 - x0) * t + side * rng.uniform(wander / 3, wander),
                       y0 + (y1 - y0) * t + rng.uniform(-wander / 3, wander / 3)))
    points.append(end)
    return points


TIP_PIECES = 4


def tapered_tip(start, end, pieces):
    """The last stroke of a bolt cut into short pieces, drawn ever thinner to a point."""
    (x0, y0), (x1, y1) = start, end
    marks = [(x0 + (x1 - x0) * k / pieces, y0 + (y1 - y0) * k / pieces) for k in range(pieces + 1)]
    return [[marks[k], marks[k + 1]] for k in range(pieces)]


def lightning():
    """The bolt and its mask: a white-hot core in a violet glow, with forks."""
    w, h = LIGHTNING_SIZE
    rng = random.Random(701)
    # the trunk comes down from above the picture and ends in the air, well inside it
    trunk = bolt_path(rng, (132, -6), (70, 212), 12, 16)
    forks = [bolt_path(rng, trunk[4], (26, 112), 7, 10),
             bolt_path(rng, trunk[9], (160, 196), 6, 10),
             bolt_path(rng, trunk[2], (188, 64), 5, 8)]
    twigs = [bolt_path(rng, forks[0][3], (40, 168), 4, 6),
             bolt_path(rng, forks[1][2], (186, 150), 3, 5)]
    glow = Image.new("L", (w, h), 0)
    gdraw = ImageDraw.Draw(glow)
    tip = tapered_tip(trunk[-2], trunk[-1], TIP_PIECES)
    gdraw.line(trunk[:-1], fill=255, width=11, joint="curve")
    for k, piece in enumerate(tip):
        gdraw.line(piece, fill=255, width=round(11 * (1 - (k + 1) / (TIP_PIECES + 2))))
    for fork in forks:
        gdraw.line(fork, fill=240, width=7, joint="curve")
    for twig in twigs:
        gdraw.line(twig, fill=220, width=5, joint="curve")
    glow = glow.filter(ImageFilter.GaussianBlur(2.5))
    # the halo runs from a full violet at its rim to lilac near the core, so that its edge
    # reads as light against the sky and not as a dark outline
    covered = glow.point(lambda v: 255 if v > 50 else 0)
    shade = glow.point(lambda v: max(0, min(255, (v - 90) * 2)))
    halo = Image.composite(Image.new("RGB", (w, h), LILAC), Image.new("RGB", (w, h), VIOLET),
                           shade)
    image = Image.composite(halo, Image.new("RGB", (w, h), kit.BLACK), covered)
    s = kit.Smooth(w, h)
    strokes = [(trunk[:-1], 3.2)] + \
        [(piece, 3.2 * (1 - (k + 1) / (TIP_PIECES + 1))) for k, piece in enumerate(tip)] + \
        [(fork, 1.8) for fork in forks] + [(twig, 1.2) for twig in twigs]
    for path, core in strokes:
        s.line(path, (236, 222, 255), core * 1.8)
        s.line(path, kit.WHITE, core)
    s.paint_onto(image)
    mask = kit.mask_from(covered)
    return kit.apply_mask_rule(image, mask), mask


# ---------------------------------------------------------------- wind plaques

WINDS_CHINESE = "東南西北"
WINDS_LATIN = "ESWN"
PLAQUE_PINK = (248, 170, 196)
PLAQUE_LIGHT = (255, 220, 232)
PLAQUE_DARK = (186, 70, 112)
WIND_RED = (208, 16, 24)


def diamond(width, height, inset=0.0, bulge=1.0, steps=24):
    """The outline of a diamond; a bulge above 1 rounds its sides outward, which leaves room
    for a character in a marker as small as 16 x 16."""
    cx, cy = (width - 1) / 2, (height - 1) / 2
    rx, ry = (width - 1) / 2 - inset, (height - 1) / 2 - inset
    points = []
    for k in range(4 * steps):
        angle = 2 * math.pi * k / (4 * steps)
        c, s = math.cos(angle), math.sin(angle)
        # the curve |x|^p + |y|^p = 1, p = bulge
        x = math.copysign(abs(c) ** (2 / bulge), c)
        y = math.copysign(abs(s) ** (2 / bulge), s)
        points.append((cx + rx * x, cy + ry * y))
    return points


def diamond_shape(width, height, bulge):
    shape = Image.new("L", (width, height), 0)
    ImageDraw.Draw(shape).polygon(diamond(width, height, bulge=bulge), fill=255)
    return shape


def plaque(width, height, text, typeface, border, bulge, crisp):
    """A pink diamond plaque with a bevelled rim and the wind in red."""
    image = Image.new("RGB", (width, height), PLAQUE_DARK)
    s = kit.Smooth(width, height)
    cx, cy = (width - 1) / 2, (height - 1) / 2
    for inset, colour in ((border, PLAQUE_LIGHT), (border + max(1, border // 2), PLAQUE_PINK)):
        s.polygon(diamond(width, height, inset, bulge), colour)
    s.paint_onto(image)
    kit.draw_glyph_centred(image, (cx + 0.5, cy + 0.5), text, typeface, WIND_RED, crisp=crisp)
    return image


def wind_sheet(cell_w, cell_h, chinese_face, latin_face, border, bulge=1.0, crisp=False):
    sheet = Image.new("RGB", (cell_w * 4, cell_h * 2), kit.BLACK)
    for column in range(4):
        for row, (winds, face) in enumerate(((WINDS_CHINESE, chinese_face),
                                             (WINDS_LATIN, latin_face))):
            sheet.paste(plaque(cell_w, cell_h, winds[column], face, border, bulge, crisp),
                        (column * cell_w, row * cell_h))
    mask = kit.mask_from(diamond_shape(cell_w, cell_h, bulge))
    tiled = Image.new("RGB", sheet.size)
    for column in range(4):
        for row in range(2):
            tiled.paste(mask, (column * cell_w, row * cell_h))
    return kit.apply_mask_rule(sheet, tiled), mask


def round_indicator():
    return wind_sheet(64, 66, kit.font(kit.CJK_FONT, 30), kit.font(kit.SERIF_BOLD, 32), 3)


def house_marker():
    return wind_sheet(16, 16, kit.font(kit.CJK_FONT, 11), kit.font(kit.SANS_BOLD, 10), 1,
                      bulge=1.2, crisp=True)


# ---------------------------------------------------------------- the Pass plate

PASS_SIZE = (90, 39)


def pass_plate():
    w, h = PASS_SIZE
    shape = Image.new("L", (w, h), 0)
    ImageDraw.Draw(shape).rounded_rectangle((0, 0, w - 1, h - 1), radius=8, fill=255)
    image = Image.new("RGB", (w, h), kit.BLACK)
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle((0, 0, w - 1, h - 1), radius=8, fill=(150, 112, 0))
    draw.rounded_rectangle((1, 1, w - 2, h - 2), radius=7, fill=(255, 240, 140))
    draw.rounded_rectangle((3, 3, w - 2, h - 2), radius=6, fill=(196, 150, 10))
    draw.rounded_rectangle((3, 3, w - 4, h - 4), radius=6, fill=(250, 212, 40))
    typeface = kit.font(kit.SANS_BOLD, 22)
    centre = (w / 2, h / 2)
    # embossed: a light edge up and left, a dark one down and right, the letters in plate colour
    kit.draw_glyph_centred(image, (centre[0] - 1, centre[1] - 1), "PASS", typeface,
                           (255, 246, 190))
    kit.draw_glyph_centred(image, (centre[0] + 1, centre[1] + 1), "PASS", typeface, (150, 100, 0))
    kit.draw_glyph_centred(image, centre, "PASS", typeface, (232, 180, 20))
    mask = kit.mask_from(shape)
    return kit.apply_mask_rule(image, mask), mask


def on_background(sprite, mask, colour):
    """How a sprite looks once drawn over a plain background by the mask rule."""
    background = Image.new("RGB", sprite.size, colour)
    return ImageChops.add(ImageChops.multiply(background, mask), sprite)
