"""Shared drawing helpers for the game's pictures: fonts, smooth shapes, text, noise, saving."""

import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SERIF_BOLD = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf"
SERIF_BOLD_ITALIC = "/usr/share/fonts/truetype/liberation2/LiberationSerif-BoldItalic.ttf"
SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SANS_CONDENSED_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

_fonts = {}


def font(path, size):
    key = (path, size)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(path, size)
    return _fonts[key]


def new_picture(width, height, colour=BLACK):
    return Image.new("RGB", (width, height), colour)


def save_picture(image, path):
    """24-bit PNG with no metadata, so the same picture always gives the same bytes."""
    image.convert("RGB").save(path, format="PNG", optimize=False, compress_level=9)


class Smooth:
    """A transparent layer drawn at `scale` times the size and shrunk onto a picture:
    anti-aliased shapes at the small sizes of tiles and markers. Coordinates are given
    in the picture's own pixels (floats allowed)."""

    def __init__(self, width, height, scale=4):
        self.width, self.height, self.scale = width, height, scale
        self.layer = Image.new("RGBA", (width * scale, height * scale), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.layer)

    def _box(self, x0, y0, x1, y1):
        s = self.scale
        return (x0 * s, y0 * s, x1 * s - 1, y1 * s - 1)

    def ellipse(self, cx, cy, rx, ry, fill):
        self.draw.ellipse(self._box(cx - rx, cy - ry, cx + rx, cy + ry), fill=fill)

    def circle(self, cx, cy, r, fill):
        self.ellipse(cx, cy, r, r, fill)

    def rect(self, x0, y0, x1, y1, fill, radius=0):
        box = self._box(x0, y0, x1, y1)
        if radius:
            self.draw.rounded_rectangle(box, radius=radius * self.scale, fill=fill)
        else:
            self.draw.rectangle(box, fill=fill)

    def polygon(self, points, fill):
        s = self.scale
        self.draw.polygon([(x * s, y * s) for x, y in points], fill=fill)

    def line(self, points, fill, width):
        s = self.scale
        self.draw.line([(x * s, y * s) for x, y in points], fill=fill,
                       width=max(1, round(width * s)), joint="curve")

    def shrunk(self):
        small = self.layer.convert("RGBa").resize((self.width, self.height), Image.BOX)
        return small.convert("RGBA")

    def paint_onto(self, image, x=0, y=0):
        layer = self.shrunk()
        image.paste(layer, (x, y), layer)


def draw_text(draw, xy, text, typeface, fill, anchor="la", shadow=None, shadow_offset=(1, 1)):
    """Text with an optional shadow copy drawn first, offset by shadow_offset."""
    if shadow is not None:
        sx, sy = shadow_offset
        draw.text((xy[0] + sx, xy[1] + sy), text, font=typeface, fill=shadow, anchor=anchor)
    draw.text(xy, text, font=typeface, fill=fill, anchor=anchor)


def draw_glyph_centred(image, centre, text, typeface, fill, crisp=False):
    """A glyph centred on its own ink (not on the font's line box), as on a tile face. Crisp
    glyphs are drawn without smoothing: at ten pixels or so that reads better."""
    draw = ImageDraw.Draw(image)
    if crisp:
        draw.fontmode = "1"
    left, top, right, bottom = draw.textbbox((0, 0), text, font=typeface)
    x = round(centre[0] - (left + right) / 2)
    y = round(centre[1] - (top + bottom) / 2)
    draw.text((x, y), text, font=typeface, fill=fill)


def value_noise(width, height, seed, octaves=((6, 1.0), (12, 0.5), (24, 0.25), (48, 0.125))):
    """Greyscale cloud noise in 0..255: random grids of several sizes, smoothly enlarged and
    averaged with falling weights. Deterministic for a given seed."""
    rng = random.Random(seed)
    result = None
    weight_so_far = 0.0
    for cells, weight in octaves:
        grid_h = max(2, round(cells * height / width))
        grid = Image.new("L", (cells, grid_h))
        grid.putdata([rng.randrange(256) for _ in range(cells * grid_h)])
        layer = grid.resize((width, height), Image.BICUBIC)
        weight_so_far += weight
        result = layer if result is None else Image.blend(result, layer, weight / weight_so_far)
    return result.filter(ImageFilter.GaussianBlur(1))


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def apply_mask_rule(sprite, mask):
    """A sprite is black wherever its mask is white, so AND-then-OR draws it cleanly."""
    black = Image.new("RGB", sprite.size, BLACK)
    return Image.composite(black, sprite, mask.convert("L"))


def mask_from(shape):
    """A pure black-and-white mask: black where `shape` (mode L, non-zero = covered) covers."""
    return shape.point(lambda v: 0 if v else 255).convert("RGB")

