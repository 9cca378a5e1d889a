"""The game's icon: the red dragon tile standing face-on, with a bolt of the table's lightning
behind its shoulder. Drawn afresh at every size of the desktop's icon theme, not scaled from
one picture, so that the small ones stay sharp."""

from PIL import Image, ImageDraw

import art_kit as kit
import tile_art

SIZES = (16, 24, 32, 48, 64, 128, 256)
BOLT = (255, 236, 96)
BOLT_EDGE = (190, 120, 10)


def _bolt(draw, n):
    """A three-stroke bolt in the top right corner, in the lightning's yellow."""
    points = [(0.76, 0.01), (0.99, 0.01), (0.90, 0.22), (0.99, 0.22), (0.74, 0.64),
              (0.81, 0.34), (0.70, 0.34)]
    draw.polygon([(x * n, y * n) for x, y in points], fill=BOLT + (255,),
                 outline=BOLT_EDGE + (255,), width=max(1, round(n / 40)))


def icon(size, scale=8):
    n = size * scale
    layer = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    draw = ImageDraw.Draw(layer)
    if size >= 32:
        _bolt(draw, n)
    # The tile keeps its in-game proportions, 30 x 39, with its pink back showing below.
    height = n * 0.96
    width = height * tile_art.TILE_W / tile_art.TILE_H
    left = (n - width) / 2 - (n * 0.10 if size >= 32 else 0)
    top = n * 0.02
    edge = height * tile_art.EDGE_DOWN / tile_art.TILE_H
    radius = width * 0.12
    line = max(scale, round(n / 48))
    draw.rounded_rectangle((left, top + edge, left + width, top + height), radius=radius,
                           fill=tile_art.PINK + (255,), outline=tile_art.PINK_DARK + (255,),
                           width=line)
    face = (left, top, left + width, top + height - edge)
    draw.rounded_rectangle(face, radius=radius, fill=tile_art.IVORY + (255,),
                           outline=tile_art.OUTLINE + (255,), width=line)
    glyph = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    centre = ((face[0] + face[2]) / 2, (face[1] + face[3]) / 2)
    typeface = kit.font(kit.CJK_FONT, round((face[3] - face[1]) * 0.72))
    kit.draw_glyph_centred(glyph, centre, "中", typeface, tile_art.RED + (255,))
    layer.alpha_composite(glyph)
    small = layer.convert("RGBa").resize((size, size), Image.LANCZOS)
    return small.convert("RGBA")


def icons():
    return {size: icon(size) for size in SIZES}


def save_icon(image, path):
    """RGBA PNG with no metadata, so the same icon always gives the same bytes."""
    image.save(path, format="PNG", optimize=False, compress_level=9)
