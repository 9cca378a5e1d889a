#!/usr/bin/python3
"""Draws every picture of the game and its icons from shapes and fonts and writes the song and
the thunder.

    /usr/bin/python3 tools/generate_assets.py                  rewrite assets/
    /usr/bin/python3 tools/generate_assets.py --contact-sheet /tmp/sheet.png
                                                               also draw every picture at 2x

Fonts: WenQuanYi Micro Hei (fonts-wqy-microhei) for the Chinese characters, Liberation Serif
(fonts-liberation2) and DejaVu Sans (fonts-dejavu-core) for the Latin text. The output is the
same, byte for byte, on every run."""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import art_kit as kit  # noqa: E402
import board_art  # noqa: E402
import contact_sheet  # noqa: E402
import icon_art  # noqa: E402
import song  # noqa: E402
import sprite_art  # noqa: E402
import table_art  # noqa: E402
import thunder  # noqa: E402
import tile_art  # noqa: E402
import toolbar_art  # noqa: E402

ASSETS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "assets")


def draw_pictures():
    pictures = {
        "bitmap101": table_art.table(),
        "bitmap102": board_art.break_down_board(),
        "bitmap103": board_art.seat_board(),
        "bitmap104": board_art.high_score_sheet(),
        "picTableTop": table_art.table_top(),
        "picAllTiles": tile_art.all_tiles(),
        "picTileBack": tile_art.tile_back(),
        "picTileBackMask": tile_art.tile_mask(),
    }
    for sprite, mask, function in (
            ("picLightning", "picLightningMask", sprite_art.lightning),
            ("picHouse", "picHouseMask", sprite_art.round_indicator),
            ("picSmallHouse", "picSmallHouseMask", sprite_art.house_marker),
            ("picPass", "picPassMask", sprite_art.pass_plate)):
        pictures[sprite], pictures[mask] = function()
    pictures.update(toolbar_art.toolbar_pictures())
    return pictures


def write_assets(pictures):
    folder = os.path.join(ASSETS, "pictures")
    os.makedirs(folder, exist_ok=True)
    for name, image in sorted(pictures.items()):
        kit.save_picture(image, os.path.join(folder, name + ".png"))
    with open(os.path.join(ASSETS, "quiven1.mid"), "wb") as out:
        out.write(song.song_bytes())
    with open(os.path.join(ASSETS, "Thunder2.wav"), "wb") as out:
        out.write(thunder.thunder_bytes())
    icons = os.path.join(ASSETS, "icons")
    os.makedirs(icons, exist_ok=True)
    for size, image in icon_art.icons().items():
        icon_art.save_icon(image, os.path.join(icons, "velloran-%d.png" % size))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--contact-sheet", metavar="PNG",
                        help="also write every picture at 2x into this file (not an asset)")
    args = parser.parse_args()
    pictures = draw_pictures()
    write_assets(pictures)
    if args.contact_sheet:
        contact_sheet.write(pictures, args.contact_sheet)


if __name__ == "__main__":
    main()
