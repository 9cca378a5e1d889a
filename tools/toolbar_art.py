"""The 16 x 16 pictures of the toolbar buttons, named by the button's place (the spacer, place
13, has none). They are drawn on the grey of the button face."""

import math

from PIL import Image, ImageDraw

import art_kit as kit

SIZE = 16
BUTTON_FACE = (192, 192, 192)
INK = (24, 24, 40)
NAVY = (20, 44, 140)
BLUE = (40, 90, 210)
GREEN = (20, 140, 50)
RED = (210, 24, 24)
GOLD = (236, 180, 20)
GOLD_DARK = (150, 100, 0)
IVORY = (250, 245, 226)
PINK = (238, 122, 158)
BROWN = (130, 74, 30)


def start_anew(s):
    # a fresh tile with a spark of light at its corner
    s.rect(2, 3.5, 11.5, 15.5, PINK, radius=1.5)
    s.rect(2, 2, 11.5, 13.5, INK, radius=1.5)
    s.rect(2.8, 2.8, 10.7, 12.7, IVORY, radius=1)
    s.circle(6.7, 7.7, 2.4, RED)
    s.circle(6.7, 7.7, 1.2, IVORY)
    for k in range(8):
        a = math.pi * k / 4
        r = 3.6 if k % 2 == 0 else 2.0
        s.line([(12.5, 3.5), (12.5 + r * math.cos(a), 3.5 + r * math.sin(a))], GOLD, 1.1)
    s.circle(12.5, 3.5, 1.1, (255, 250, 200))


def level(s):
    for k, (colour, height) in enumerate(((GREEN, 5), (GOLD, 9), (RED, 13))):
        x = 1.5 + k * 4.7
        s.rect(x, 15 - height, x + 3.8, 15, INK)
        s.rect(x + 0.8, 15.8 - height, x + 3.0, 14.2, colour)


def break_down(s):
    s.rect(2.5, 1, 13.5, 15, INK)
    s.rect(3.3, 1.8, 12.7, 14.2, (255, 255, 255))
    for y in (4.5, 7.5, 10.5):
        s.line([(4.8, y), (8.6, y)], NAVY, 1.2)
        s.line([(10, y), (11.4, y)], RED, 1.2)
    s.line([(4.8, 13), (11.4, 13)], INK, 0.9)


def music(s):
    s.ellipse(4.2, 12.6, 2.6, 2.0, NAVY)
    s.ellipse(11.6, 11.0, 2.6, 2.0, NAVY)
    s.line([(6.4, 12.4), (6.4, 3.4)], NAVY, 1.2)
    s.line([(13.8, 10.8), (13.8, 1.8)], NAVY, 1.2)
    s.polygon([(6.0, 2.6), (14.2, 1.0), (14.2, 3.8), (6.0, 5.4)], NAVY)


def high_scores(s):
    s.rect(4.5, 13, 11.5, 15.2, BROWN)
    s.rect(7, 9.5, 9, 13, GOLD_DARK)
    s.line([(4.2, 3.5), (1.6, 3.5), (2.2, 6.8), (5.2, 8.4)], GOLD_DARK, 1.2)
    s.line([(11.8, 3.5), (14.4, 3.5), (13.8, 6.8), (10.8, 8.4)], GOLD_DARK, 1.2)
    s.polygon([(3.6, 1.5), (12.4, 1.5), (11.8, 6), (9.2, 9.8), (6.8, 9.8), (4.2, 6)], GOLD_DARK)
    s.polygon([(4.4, 2.2), (11.6, 2.2), (11.1, 5.8), (8.8, 9.0), (7.2, 9.0), (4.9, 5.8)], GOLD)
    s.rect(5.8, 3, 7.0, 6.5, (255, 240, 170))


def rounds(s):
    # two arrows chasing each other round a circle
    cx, cy, r = 8, 8, 5.2
    for start in (0, math.pi):
        arc = [(cx + r * math.cos(start + a / 10 * 2.3), cy + r * math.sin(start + a / 10 * 2.3))
               for a in range(11)]
        s.line(arc, GREEN, 1.8)
        end = start + 2.5
        tip = (cx + r * math.cos(end), cy + r * math.sin(end))
        nx, ny = math.cos(end), math.sin(end)
        tx, ty = -ny, nx
        s.polygon([(tip[0] + tx * 2.2, tip[1] + ty * 2.2), (tip[0] + nx * 2.8 - tx * 0.6,
                    tip[1] + ny * 2.8 - ty * 0.6), (tip[0] - nx * 2.8 - tx * 0.6,
                                                     tip[1] - ny * 2.8 - ty * 0.6)], GREEN)


def round_indicator(s):
    s.polygon([(8, 0.3), (15.7, 8), (8, 15.7), (0.3, 8)], (176, 64, 104))
    s.polygon([(8, 1.6), (14.4, 8), (8, 14.4), (1.6, 8)], (248, 170, 196))


def eye_outline(rx, ry, steps=10):
    upper = [(8 + rx * math.cos(k / steps * math.pi), 8 - ry * math.sin(k / steps * math.pi))
             for k in range(steps + 1)]
    lower = [(x, 16 - y) for x, y in upper]
    return upper + lower[::-1]


def peek(s):
    s.polygon(eye_outline(7.2, 5), INK)
    s.polygon(eye_outline(6.2, 4.0), (255, 255, 255))
    s.circle(8, 8, 3.4, BLUE)
    s.circle(8, 8, 1.6, INK)
    s.circle(6.9, 6.9, 0.8, (255, 255, 255))


def pause(s):
    for x in (3.5, 9.5):
        s.rect(x, 2.5, x + 3.2, 13.5, NAVY, radius=0.6)
        s.rect(x + 0.7, 3.2, x + 1.6, 12.8, BLUE)


def stop(s):
    s.rect(2.5, 2.5, 13.5, 13.5, (120, 10, 10), radius=1)
    s.rect(3.3, 3.3, 12.7, 12.7, RED, radius=0.6)
    s.rect(4.2, 4.2, 8, 5.2, (250, 120, 110))


def about(s):
    s.circle(8, 8, 7.4, NAVY)
    s.circle(8, 8, 6.5, BLUE)
    s.circle(8, 4.6, 1.3, (255, 255, 255))
    s.rect(6.9, 6.8, 9.1, 12.4, (255, 255, 255))
    s.rect(6.0, 11.4, 10.0, 12.6, (255, 255, 255))


def help_mark(s):
    s.circle(8, 8, 7.4, (150, 110, 0))
    s.circle(8, 8, 6.5, (250, 214, 60))


def exit_door(s):
    # a door standing open, and the way out
    s.rect(1.5, 1, 10.5, 15.5, INK)
    s.rect(2.5, 2, 9.5, 15.5, (40, 40, 52))
    s.polygon([(2.5, 2), (7.2, 3.4), (7.2, 16), (2.5, 15.5)], BROWN)
    s.circle(6.2, 9.4, 0.7, GOLD)
    s.polygon([(9, 6.8), (12, 6.8), (12, 4.5), (15.6, 8.5), (12, 12.5), (12, 10.2), (9, 10.2)],
              (30, 150, 40))


ICONS = {
    1: start_anew, 2: level, 3: break_down, 4: music, 5: high_scores, 6: rounds,
    7: round_indicator, 8: peek, 9: pause, 10: stop, 11: about, 12: help_mark, 14: exit_door,
}


def toolbar_picture(place):
    image = Image.new("RGB", (SIZE, SIZE), BUTTON_FACE)
    s = kit.Smooth(SIZE, SIZE)
    ICONS[place](s)
    s.paint_onto(image)
    draw = ImageDraw.Draw(image)
    if place == 7:
        kit.draw_glyph_centred(image, (8, 8), "東", kit.font(kit.CJK_FONT, 10), (208, 16, 24),
                               crisp=True)
    elif place == 12:
        kit.draw_glyph_centred(image, (8.5, 8.5), "?", kit.font(kit.SANS_BOLD, 12), NAVY)
    del draw
    return image


def toolbar_pictures():
    return {f"toolbar{place:02d}": toolbar_picture(place) for place in ICONS}
