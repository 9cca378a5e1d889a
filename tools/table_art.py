"""The table (800 x 600) and the table top of the seat panel (64 x 64)."""

import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import art_kit as kit

WIDTH, HEIGHT = 800, 600
PLAY_LEFT, PLAY_TOP, PLAY_RIGHT, PLAY_BOTTOM = 40, 63, 309, 530  # inclusive
FRAME = 9
FRAME_RED = (196, 28, 32)
FRAME_LIGHT = (236, 96, 90)
FRAME_DARK = (112, 10, 16)
FRAME_EDGE = (72, 4, 8)  # the frame's inner line, right on the play area

NEXT_BOX = (474, 44)
TILE_W, TILE_H = 30, 39
NEXT_BOX_FILL = (34, 38, 52)

CAPTION_FONT = (kit.SERIF_BOLD, 22)
CAPTIONS = [
    # text, colour, anchor point, anchor
    ("Next Tile", (255, 64, 255), (462, NEXT_BOX[1] + TILE_H // 2), "rm"),
    ("Tiles In Possession", (60, 232, 72), (352, 122), "ls"),
    ("Score", (255, 52, 44), (444, 249), "rm"),
    ("Round", (84, 124, 255), (418, 339), "rm"),
    ("Select Tiles", (255, 232, 24), (353, 428), "ls"),
]


def sky():
    top, bottom = (84, 90, 104), (148, 152, 160)
    gradient = Image.new("RGB", (1, HEIGHT))
    gradient.putdata([kit.mix(top, bottom, y / (HEIGHT - 1)) for y in range(HEIGHT)])
    base = gradient.resize((WIDTH, HEIGHT))
    clouds = kit.value_noise(WIDTH, HEIGHT, seed=101)
    # soft-edged cloud banks: only the brighter half of the noise becomes cloud
    cover = clouds.point(lambda v: max(0, min(255, (v - 118) * 3)))
    light = Image.new("RGB", (WIDTH, HEIGHT), (180, 183, 192))
    shadow = kit.value_noise(WIDTH, HEIGHT, seed=202)
    shadow = shadow.point(lambda v: max(0, min(160, (v - 140) * 3)))
    darker = Image.new("RGB", (WIDTH, HEIGHT), (62, 66, 78))
    result = Image.composite(darker, base, shadow)
    return Image.composite(light, result, cover)


def moon(image):
    cx, cy, r = 728, 70, 24
    glow = Image.new("L", (WIDTH, HEIGHT), 0)
    ImageDraw.Draw(glow).ellipse((cx - r - 16, cy - r - 16, cx + r + 16, cy + r + 16), fill=70)
    glow = glow.filter(ImageFilter.GaussianBlur(10))
    image.paste(Image.new("RGB", image.size, (230, 232, 220)), (0, 0), glow)
    s = kit.Smooth(2 * r + 4, 2 * r + 4)
    c = r + 2
    s.circle(c, c, r, (236, 236, 214))
    for dx, dy, cr in ((-8, -6, 5), (6, 4, 6.5), (-3, 11, 3.5), (10, -9, 3), (-12, 6, 2.5)):
        s.circle(c + dx, c + dy, cr, (214, 214, 192))
    s.paint_onto(image, cx - c, cy - c)


def rainbow(image):
    colours = [(230, 40, 40), (244, 140, 30), (244, 226, 40), (60, 190, 70), (50, 120, 230),
               (80, 60, 190), (150, 70, 200)]
    cx, cy, outer, band = 165, 650, 248, 6
    scale = 2
    layer = Image.new("RGB", (WIDTH * scale, HEIGHT * scale), kit.BLACK)
    alpha = Image.new("L", layer.size, 0)
    draw, adraw = ImageDraw.Draw(layer), ImageDraw.Draw(alpha)
    for k, colour in enumerate(colours):
        r = (outer - k * band) * scale
        box = (cx * scale - r, cy * scale - r, cx * scale + r, cy * scale + r)
        draw.ellipse(box, fill=colour)
        adraw.ellipse(box, fill=120)
    r = (outer - len(colours) * band) * scale
    adraw.ellipse((cx * scale - r, cy * scale - r, cx * scale + r, cy * scale + r), fill=0)
    layer = layer.resize((WIDTH, HEIGHT), Image.BOX)
    alpha = alpha.resize((WIDTH, HEIGHT), Image.BOX).filter(ImageFilter.GaussianBlur(1.2))
    image.paste(layer, (0, 0), alpha)


def play_area_glass(image):
    """The play area is the sky seen through a slightly darker pane, so the tiles stand out."""
    box = (PLAY_LEFT, PLAY_TOP, PLAY_RIGHT + 1, PLAY_BOTTOM + 1)
    inside = image.crop(box)
    inside = ImageChops.multiply(inside, Image.new("RGB", inside.size, (196, 198, 206)))
    image.paste(inside, box[:2])


def bevel_frame(draw, inner, width, face, light, dark, edge):
    """A raised frame of `width` pixels round the inclusive box `inner`."""
    x0, y0, x1, y1 = inner
    for k in range(1, width + 1):
        box = (x0 - k, y0 - k, x1 + k, y1 + k)
        draw.rectangle(box, outline=face)
    for k in range(width - 2, width):  # lit from the top left on the outer slope
        draw.line([(x0 - k - 1, y1 + k + 1), (x0 - k - 1, y0 - k - 1), (x1 + k + 1, y0 - k - 1)],
                  fill=light)
        draw.line([(x1 + k + 1, y0 - k), (x1 + k + 1, y1 + k + 1), (x0 - k, y1 + k + 1)],
                  fill=dark)
    for k in (2, 3):  # and the inner slope the other way round
        draw.line([(x0 - k, y1 + k), (x0 - k, y0 - k), (x1 + k, y0 - k)], fill=dark)
        draw.line([(x1 + k, y0 - k + 1), (x1 + k, y1 + k), (x0 - k + 1, y1 + k)], fill=light)
    draw.rectangle((x0 - width, y0 - width, x1 + width, y1 + width), outline=edge)
    draw.rectangle((x0 - 1, y0 - 1, x1 + 1, y1 + 1), outline=edge)


def next_tile_box(draw):
    x, y = NEXT_BOX
    inner = (x, y, x + TILE_W - 1, y + TILE_H - 1)
    bevel_frame(draw, inner, 4, (150, 150, 166), (212, 214, 226), (74, 76, 92), (30, 30, 40))
    draw.rectangle(inner, fill=NEXT_BOX_FILL)


def captions(draw):
    typeface = kit.font(*CAPTION_FONT)
    for text, colour, point, anchor in CAPTIONS:
        for dx, dy in ((1, 1), (2, 2), (-1, 0), (0, -1)):
            draw.text((point[0] + dx, point[1] + dy), text, font=typeface, fill=(16, 16, 24),
                      anchor=anchor)
        draw.text(point, text, font=typeface, fill=colour, anchor=anchor)


def table():
    image = sky()
    moon(image)
    rainbow(image)
    play_area_glass(image)
    draw = ImageDraw.Draw(image)
    bevel_frame(draw, (PLAY_LEFT, PLAY_TOP, PLAY_RIGHT, PLAY_BOTTOM), FRAME, FRAME_RED,
                FRAME_LIGHT, FRAME_DARK, FRAME_EDGE)
    next_tile_box(draw)
    captions(draw)
    return image


# ---------------------------------------------------------------- wood and baize

def wood(width, height, seed, light=(168, 108, 58), dark=(104, 60, 28), vertical=False):
    """Brown wood with long grain."""
    rng = random.Random(seed)
    length, across = (height, width) if vertical else (width, height)
    grain = Image.new("L", (max(4, length // 24), across))
    grain.putdata([rng.randrange(256) for _ in range(grain.width * grain.height)])
    grain = grain.resize((length, across), Image.BICUBIC)
    if vertical:
        grain = grain.transpose(Image.Transpose.ROTATE_90)
    grain = grain.filter(ImageFilter.GaussianBlur(0.6))
    return Image.composite(Image.new("RGB", (width, height), light),
                           Image.new("RGB", (width, height), dark), grain)


def baize(width, height, seed, colour=(24, 122, 58)):
    """Felt: a fine, even nap with only a faint cloudiness."""
    rng = random.Random(seed)
    nap = Image.new("L", (width, height))
    nap.putdata([rng.randrange(256) for _ in range(width * height)])
    nap = nap.filter(ImageFilter.GaussianBlur(0.7))
    nap = nap.point(lambda v: max(0, min(255, (v - 128) * 4 + 128)))
    cloud = kit.value_noise(width, height, seed + 1, octaves=((max(2, width // 40), 1.0),
                                                              (max(2, width // 12), 0.5)))
    texture = Image.blend(nap, cloud, 0.45)
    dark = Image.new("RGB", (width, height), kit.mix(colour, kit.BLACK, 0.16))
    light = Image.new("RGB", (width, height), kit.mix(colour, kit.WHITE, 0.07))
    return Image.composite(light, dark, texture)


def wooden_frame(image, width, seed):
    """Frames the whole picture with `width` pixels of bevelled wood, mitred at the corners."""
    w, h = image.size
    planks = wood(w, h, seed)
    across = wood(w, h, seed + 1, vertical=True)
    frame = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(frame)
    draw.rectangle((0, 0, w - 1, h - 1), fill=255)
    draw.rectangle((width, width, w - 1 - width, h - 1 - width), fill=0)
    sides = Image.new("L", (w, h), 0)
    ImageDraw.Draw(sides).polygon([(0, 0), (width, width), (width, h - 1 - width), (0, h - 1)],
                                  fill=255)
    ImageDraw.Draw(sides).polygon([(w - 1, 0), (w - 1 - width, width),
                                   (w - 1 - width, h - 1 - width), (w - 1, h - 1)], fill=255)
    wood_image = Image.composite(across, planks, sides)
    image.paste(wood_image, (0, 0), frame)
    draw = ImageDraw.Draw(image)
    draw.rectangle((0, 0, w - 1, h - 1), outline=(64, 34, 14))
    draw.line([(1, h - 2), (1, 1), (w - 2, 1)], fill=(204, 150, 96))
    draw.rectangle((width - 1, width - 1, w - width, h - width), outline=(64, 34, 14))
    draw.line([(width - 2, h - width + 1), (w - width + 1, h - width + 1),
               (w - width + 1, width - 2)], fill=(196, 142, 90))
    draw.line([(width, h - width - 1), (width, width), (w - width - 1, width)], fill=(12, 60, 26))


def table_top():
    image = baize(64, 64, seed=303)
    wooden_frame(image, 6, seed=304)
    return image
