"""The dialog boards: the break-down board (667 x 329), the seat board (256 x 256) and the
high-score sheet (500 x 350). They carry every fixed text; the dialogs print only the values."""

from PIL import Image, ImageDraw

import art_kit as kit
import table_art

# ---------------------------------------------------------------- break-down board

BREAK_DOWN_SIZE = (667, 329)
BOARD_GREEN = (38, 128, 66)
FIELD_GREEN = (14, 66, 34)
ROW_BOTTOMS = [81 + 38 * r for r in range(6)]
FIELD_HEIGHT = 32
# (left, right) of the name and doubles fields; the values print from 6 pixels in
NAME_FIELDS = [(32, 227), (348, 544)]
DOUBLES_FIELDS = [(243, 321), (560, 639)]
BAR = (12, 277, 654, 309)


def inset(draw, box, fill, dark, light):
    """A recessed field: shadow along the top and left, light along the bottom and right."""
    x0, y0, x1, y1 = box
    draw.rectangle(box, fill=fill)
    draw.line([(x0, y1), (x0, y0), (x1, y0)], fill=dark)
    draw.line([(x0 + 1, y1 - 1), (x0 + 1, y0 + 1), (x1 - 1, y0 + 1)], fill=kit.mix(dark, fill, 0.5))
    draw.line([(x1, y0 + 1), (x1, y1), (x0 + 1, y1)], fill=light)


def ribbon(s, x0, x1, y, facing):
    """A ribbon banner end with a forked tail; `facing` 1 points the tail to the left."""
    red, dark, light = (196, 30, 40), (120, 12, 22), (236, 92, 96)
    tail = (x0, x0 + 22) if facing == 1 else (x1, x1 - 22)
    body = (x0 + 16, x1) if facing == 1 else (x0, x1 - 16)
    fork = tail[0] + 9 * facing
    s.polygon([(tail[0], y - 10), (tail[1], y - 10), (tail[1], y + 10), (tail[0], y + 10),
               (fork, y)], dark)
    s.rect(body[0], y - 12, body[1], y + 8, red)
    s.rect(body[0], y - 12, body[1], y - 9, light)
    # the fold where the ribbon turns behind the heading
    fold = body[1] if facing == 1 else body[0]
    s.polygon([(fold, y - 12), (fold + 8 * facing, y - 6), (fold + 8 * facing, y + 12),
               (fold, y + 8)], dark)


def board_background(size, colour, seed):
    w, h = size
    image = table_art.baize(w, h, seed, colour)
    draw = ImageDraw.Draw(image)
    for k, shade in enumerate(((10, 40, 20), (150, 214, 150), (96, 180, 110), (20, 80, 40))):
        draw.rectangle((k, k, w - 1 - k, h - 1 - k), outline=shade)
    return image


def break_down_board():
    image = board_background(BREAK_DOWN_SIZE, BOARD_GREEN, seed=401)
    w = BREAK_DOWN_SIZE[0]
    s = kit.Smooth(w, 48)
    ribbon(s, 36, 124, 26, 1)
    ribbon(s, w - 124, w - 36, 26, -1)
    s.paint_onto(image)
    draw = ImageDraw.Draw(image)
    kit.draw_text(draw, (w // 2, 25), "Winning Hand Scoring Break Down",
                  kit.font(kit.SERIF_BOLD, 24), kit.BLACK, anchor="mm", shadow=(120, 200, 130))
    for bottom in ROW_BOTTOMS:
        for left, right in NAME_FIELDS + DOUBLES_FIELDS:
            inset(draw, (left, bottom - FIELD_HEIGHT, right, bottom), FIELD_GREEN, (4, 30, 14),
                  (110, 190, 120))
    inset(draw, BAR, (20, 84, 42), (6, 36, 18), (120, 196, 128))
    label = kit.font(kit.SERIF_BOLD, 17)
    for text, right in (("Total Doubles:", 200), ("Points Scored:", 512)):
        kit.draw_text(draw, (right, 293), text, label, (250, 244, 210), anchor="rm",
                      shadow=(8, 30, 14))
    return image


# ---------------------------------------------------------------- seat board

SEAT_SIZE = (256, 256)
SEAT_TEXT = (255, 40, 255)


def seat_board():
    w, h = SEAT_SIZE
    image = table_art.baize(w, h, seed=501)
    table_art.wooden_frame(image, 14, seed=502)
    draw = ImageDraw.Draw(image)
    shadow = (30, 10, 30)
    kit.draw_text(draw, (w // 2, 52), "Pick A Tile...", kit.font(kit.SERIF_BOLD, 24), SEAT_TEXT,
                  anchor="mm", shadow=shadow)
    lines = kit.font(kit.SERIF_BOLD, 18)
    kit.draw_text(draw, (w // 2, 184), "Use Arrow Keys,", lines, SEAT_TEXT, anchor="mm",
                  shadow=shadow)
    kit.draw_text(draw, (w // 2, 206), "Then Press Enter", lines, SEAT_TEXT, anchor="mm",
                  shadow=shadow)
    return image


# ---------------------------------------------------------------- high-score sheet

HI_SCORE_SIZE = (500, 350)
ROW_TOPS = [138 + 32 * i for i in range(5)]
GOLD_LIGHT, GOLD_DARK = (246, 214, 118), (214, 166, 62)
SHEET_INK = (70, 36, 10)
HEADING_RED = (186, 16, 20)
FRAME_WIDTH = 12


def gold_sheet(size):
    w, h = size
    noise = kit.value_noise(w, h, seed=601, octaves=((10, 1.0), (40, 0.5), (120, 0.3)))
    return Image.composite(Image.new("RGB", size, GOLD_LIGHT), Image.new("RGB", size, GOLD_DARK),
                           noise)


def ornament(s, cx, cy, colour):
    """A diamond between two small scrolls."""
    s.polygon([(cx, cy - 9), (cx + 9, cy), (cx, cy + 9), (cx - 9, cy)], colour)
    s.polygon([(cx, cy - 4.5), (cx + 4.5, cy), (cx, cy + 4.5), (cx - 4.5, cy)], GOLD_LIGHT)
    for side in (-1, 1):
        s.line([(cx + side * 11, cy), (cx + side * 23, cy)], colour, 1.6)
        s.circle(cx + side * 26, cy, 3, colour)


def high_score_sheet():
    w, h = HI_SCORE_SIZE
    image = gold_sheet(HI_SCORE_SIZE)
    draw = ImageDraw.Draw(image)
    red, dark, light = (150, 18, 24), (84, 6, 12), (204, 70, 70)
    for k in range(FRAME_WIDTH):
        draw.rectangle((k, k, w - 1 - k, h - 1 - k), outline=red)
    draw.rectangle((0, 0, w - 1, h - 1), outline=dark)
    draw.line([(1, h - 2), (1, 1), (w - 2, 1)], fill=light)
    draw.rectangle((FRAME_WIDTH - 1, FRAME_WIDTH - 1, w - FRAME_WIDTH, h - FRAME_WIDTH),
                   outline=dark)
    draw.rectangle((FRAME_WIDTH + 3, FRAME_WIDTH + 3, w - FRAME_WIDTH - 4, h - FRAME_WIDTH - 4),
                   outline=(170, 120, 40))

    heading = kit.font(kit.SERIF_BOLD, 30)
    kit.draw_text(draw, (w // 2, 44), "Top Five High Scores", heading, HEADING_RED, anchor="mm",
                  shadow=(150, 104, 30))
    s = kit.Smooth(w, 80)
    ornament(s, 72, 44, HEADING_RED)
    ornament(s, w - 72, 44, HEADING_RED)
    s.paint_onto(image)

    draw = ImageDraw.Draw(image)
    head = kit.font(kit.SERIF_BOLD, 16)
    kit.draw_text(draw, (66, 126), "Name", head, SHEET_INK, anchor="ls")
    kit.draw_text(draw, (222, 108), "Rounds", head, SHEET_INK, anchor="ls")
    kit.draw_text(draw, (222, 126), "Played", head, SHEET_INK, anchor="ls")
    kit.draw_text(draw, (306, 126), "* Level", head, SHEET_INK, anchor="ls")
    kit.draw_text(draw, (445, 126), "Score", head, SHEET_INK, anchor="rs")
    draw.line([(30, 132), (w - 30, 132)], fill=SHEET_INK, width=2)
    row_font = kit.font(kit.SERIF_BOLD, 16)
    for i, top in enumerate(ROW_TOPS):
        kit.draw_text(draw, (52, top), f"{i + 1}.", row_font, SHEET_INK, anchor="ra")
        draw.line([(30, top + 25), (w - 30, top + 25)], fill=(196, 150, 64))
    legend = kit.font(kit.SERIF_BOLD, 14)
    kit.draw_text(draw, (w // 2, 306), "* 1 - Easy, 2 - Medium, 3 - Hard, 4 - Very Hard, "
                  "5 - Super Hard", legend, SHEET_INK, anchor="mm")
    return image
