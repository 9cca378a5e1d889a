"""A contact sheet for judging the pictures by eye: every picture at 2x, the tiles of all three
views side by side, and mock-ups of the table and the boards with values printed where the game
prints them. Not an asset: written only on request, never into assets/."""

from PIL import Image, ImageChops, ImageDraw

import art_kit as kit
import sprite_art
import tile_art

SHEET_GREY = (112, 116, 124)
TILE_W, TILE_H = tile_art.TILE_W, tile_art.TILE_H


def tiled(mask, width, height):
    """A one-cell mask repeated over a whole sheet."""
    sheet = Image.new("RGB", (width, height))
    for x in range(0, width, mask.width):
        for y in range(0, height, mask.height):
            sheet.paste(mask, (x, y))
    return sheet


def drawn(sprite, mask):
    """The sprite as the game draws it over a plain background."""
    return sprite_art.on_background(sprite, tiled(mask, *sprite.size), SHEET_GREY)


def blit_sprite(target, x, y, sprite, source, mask, mask_source, size):
    """Mask with AND, then the sprite with OR, at (x, y) of `target`."""
    w, h = size
    area = target.crop((x, y, x + w, y + h))
    cut_mask = mask.crop((*mask_source, mask_source[0] + w, mask_source[1] + h))
    cut = sprite.crop((*source, source[0] + w, source[1] + h))
    target.paste(ImageChops.add(ImageChops.multiply(area, cut_mask), cut), (x, y))


def draw_tile(target, pictures, x, y, kind, row):
    blit_sprite(target, x, y, pictures["picAllTiles"], ((kind - 1) * TILE_W, row * TILE_H),
                pictures["picTileBackMask"], (0, row * TILE_H), (TILE_W, TILE_H))


def view_row(column):
    """Face-on in the centre column, seen from the left right of it, from the right left of it."""
    return 0 if column == 5 else 1 if column > 5 else 2


def print_twice(draw, x, y, text, typeface, under, over, offset=(1, 1)):
    """The game's printing: a dark copy, then the text itself."""
    draw.text((x - offset[0], y - offset[1]), text, font=typeface, fill=under)
    draw.text((x, y), text, font=typeface, fill=over)


def table_in_play(pictures):
    table = pictures["bitmap101"].copy()
    landed = {12: [3, 14, 20, 28, 33, 5, 17, 40, 9], 11: [0, 21, 12, 0, 31, 30, 0, 26, 0],
              10: [0, 0, 32, 0, 7, 0, 0, 35, 0]}
    for row, kinds in landed.items():
        for column, kind in enumerate(kinds, start=1):
            if kind:
                draw_tile(table, pictures, 40 + 30 * (column - 1), 24 + 39 * row, kind,
                          view_row(column))
    draw_tile(table, pictures, 40 + 30 * 6, 24 + 39 * 4, 24, view_row(7))
    draw_tile(table, pictures, 474, 44, 11, 0)
    for slot, kind in enumerate([29, 29, 29, 4, 5, 6, 34, 34], start=1):
        draw_tile(table, pictures, 352 + 30 * (slot - 1), 177, kind, 0)
    for slot, kind in enumerate([36, 41], start=15):
        draw_tile(table, pictures, 352 + 30 * (slot - 15), 129, kind, 0)
    draw = ImageDraw.Draw(table)
    score = kit.font(kit.SANS_BOLD, 24)
    draw.text((453, 236), "23450", font=score, fill=kit.BLACK)
    draw.text((454, 237), "23450", font=score, fill=(255, 0, 0))
    blit_sprite(table, 428, 306, pictures["picHouse"], (64, 0), pictures["picHouseMask"], (0, 0),
                (64, 66))
    table.paste(pictures["picTableTop"], (592, 304))
    label = kit.font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 24)
    for (x, y), name in (((600, 272), "East"), ((526, 320), "South"), ((600, 366), "Player"),
                         ((663, 320), "North")):
        print_twice(draw, x, y, name, label, kit.BLACK,
                    kit.WHITE if name == "Player" else (0, 0, 255))
    blit_sprite(table, 615, 311, pictures["picSmallHouse"], (16, 0),
                pictures["picSmallHouseMask"], (0, 0), (16, 16))
    # the set chooser as it opens over the table: two candidates and Pass, the first framed
    chooser = table.crop((353, 436, 753, 576))
    for t, kind in enumerate((22, 23, 24)):
        draw_tile(chooser, pictures, 6 + 30 * t, 6, kind, (2, 0, 1)[t])
    for t, kind in enumerate((31, 31)):
        draw_tile(chooser, pictures, 104 + 30 * t, 6, kind, 1)
    blit_sprite(chooser, 202, 6, pictures["picPass"], (0, 0), pictures["picPassMask"], (0, 0),
                (90, 39))
    ImageDraw.Draw(chooser).rectangle((3, 3, 98, 47), outline=(255, 0, 0), width=3)
    return table, chooser


def lightning_over_table(pictures):
    area = pictures["bitmap101"].crop((580, 0, 780, 233))
    return ImageChops.add(ImageChops.multiply(area, pictures["picLightningMask"]),
                          pictures["picLightning"])


def seat_draw(pictures):
    board = pictures["bitmap103"].copy()
    for i, x in enumerate((50, 92, 134, 176)):
        if i == 2:
            draw_tile(board, pictures, x, 108, 30, 0)
        else:
            blit_sprite(board, x, 108, pictures["picTileBack"], (0, 0),
                        pictures["picTileBackMask"], (0, 0), (TILE_W, TILE_H))
    ImageDraw.Draw(board).rectangle((47, 105, 82, 149), outline=(255, 0, 255), width=3)
    return board


def high_scores(pictures):
    sheet = pictures["bitmap104"].copy()
    draw = ImageDraw.Draw(sheet)
    typeface = kit.font(kit.SERIF_BOLD, 16)
    rows = [("Mei Lin", 4, 3, 409600), ("Tomas", 8, 1, 12850), ("Ayo", 2, 5, 1600)]
    for i, (name, rounds, level, score) in enumerate(rows):
        y = 138 + 32 * i
        for d, colour in ((1, (64, 64, 64)), (0, kit.BLACK)):
            text = str(score)
            width = draw.textlength(text, font=typeface)
            for x, value in ((66, name), (230, str(rounds)), (322, str(level)),
                             (round(445 - width), text)):
                draw.text((x - d, y - d), value, font=typeface, fill=colour)
    return sheet


def break_down(pictures):
    board = pictures["bitmap102"].copy()
    draw = ImageDraw.Draw(board)
    typeface = kit.font(kit.SANS_BOLD, 15)
    entries = [("Own Season Tile", "1 Double"), ("Four Flowers Set", "2 Doubles"),
               ("Red Dragon Trio", "1 Double"), ("Prevailing Wind Trio", "1 Double"),
               ("Own Wind Trio", "1 Double"), ("Semi-Pure Suit Hand", "3 Doubles"),
               ("Three-Of-A-Kind Hand", "3 Doubles")]
    for row, (name, doubles) in enumerate(entries, start=1):
        column = 0 if row <= 6 else 1
        y = 55 + 38 * ((row - 1) % 6)
        for d, colour in ((1, (64, 64, 64)), (0, (255, 255, 0))):
            draw.text(((38, 354)[column] - d, y - d), name, font=typeface, fill=colour)
            draw.text(((249, 566)[column], y - d), doubles, font=typeface, fill=colour)
    for d, colour in ((1, (64, 64, 64)), (0, (255, 255, 0))):
        draw.text((208 - d, 284 - d), "12", font=typeface, fill=colour)
        draw.text((520, 284 - d), "204800", font=typeface, fill=colour)
    return board


def tiles_by_view(faces):
    """Each kind with its three views side by side, a suit to a line."""
    lines = [range(1, 10), range(10, 19), range(19, 28), range(28, 35), range(35, 43)]
    block = 3 * TILE_W + 8
    out = Image.new("RGB", (9 * block, len(lines) * (TILE_H + 6)), SHEET_GREY)
    for line, kinds in enumerate(lines):
        for k, kind in enumerate(kinds):
            for row in range(3):
                cell = faces.crop(((kind - 1) * TILE_W, row * TILE_H, kind * TILE_W,
                                   (row + 1) * TILE_H))
                out.paste(cell, (k * block + row * TILE_W, line * (TILE_H + 6)))
    return out


def row_of(images, gap=10):
    width = sum(image.width for image in images) + gap * (len(images) - 1)
    height = max(image.height for image in images)
    out = Image.new("RGB", (width, height), SHEET_GREY)
    x = 0
    for image in images:
        out.paste(image, (x, 0))
        x += image.width + gap
    return out


def write(pictures, path):
    mask = pictures["picTileBackMask"]
    faces = drawn(pictures["picAllTiles"], mask)
    table, chooser = table_in_play(pictures)
    toolbar = [pictures[name] for name in sorted(pictures) if name.startswith("toolbar")]
    entries = [
        ("bitmap101", pictures["bitmap101"]),
        ("bitmap101 in play (mock-up: tiles, score, indicator, seats, marker)", table),
        ("the set chooser over the table (mock-up)", chooser),
        ("picAllTiles by kind: view rows 0, 1, 2 side by side", tiles_by_view(faces)),
        ("picAllTiles as stored", faces),
        ("picTileBack, picTileBackMask, picTableTop",
         row_of([drawn(pictures["picTileBack"], mask), mask, pictures["picTableTop"]])),
        ("bitmap102", pictures["bitmap102"]),
        ("bitmap102 with values printed (mock-up)", break_down(pictures)),
        ("bitmap103, bitmap104",
         row_of([pictures["bitmap103"], pictures["bitmap104"]])),
        ("seat draw and high scores (mock-ups)", row_of([seat_draw(pictures),
                                                          high_scores(pictures)])),
        ("picLightning over the table, picLightningMask, picLightning",
         row_of([lightning_over_table(pictures), pictures["picLightningMask"],
                 pictures["picLightning"]])),
        ("picHouse, picHouseMask, picSmallHouse, picSmallHouseMask, picPass, picPassMask",
         row_of([drawn(pictures["picHouse"], pictures["picHouseMask"]), pictures["picHouseMask"],
                 drawn(pictures["picSmallHouse"], pictures["picSmallHouseMask"]),
                 pictures["picSmallHouseMask"], drawn(pictures["picPass"], pictures["picPassMask"]),
                 pictures["picPassMask"]])),
        ("toolbar01 .. toolbar14 (no toolbar13: the spacer)", row_of(toolbar, gap=4)),
    ]
    label_font = kit.font(kit.SANS_BOLD, 16)
    scaled = [(label, image.resize((image.width * 2, image.height * 2), Image.NEAREST))
              for label, image in entries]
    width = max(image.width for _, image in scaled) + 20
    height = sum(image.height + 34 for _, image in scaled) + 10
    sheet = Image.new("RGB", (width, height), (60, 62, 68))
    draw = ImageDraw.Draw(sheet)
    y = 8
    for label, image in scaled:
        draw.text((10, y), label, font=label_font, fill=(240, 240, 240))
        sheet.paste(image, (10, y + 24))
        y += image.height + 34
    sheet.save(path)
