#!/usr/bin/env python3
"""Draws the demo game's engine-named pictures from the sheet layout.

Every sheet is drawn once per picture set, at that set's screen scale, with
every piece at exactly the device rectangle the engine cuts from it: design
values convert as v * screen width / 800 (x, widths) and v * screen height /
600 (y, heights), truncating, and a rectangle's position and size convert
each on its own. Writes one PNG per picture into OUT/<set>/ and a list
OUT/<set>/pictures.txt of "name kind design-width design-height" lines for
the picture maker. The same layout gives the same bytes on every run.

    demo_art.py [--layout sheets.json] OUT
"""

import argparse
import json
import math
import os
import sys
import zlib

import cairo

DESIGN_WIDTH = 800
DESIGN_HEIGHT = 600
# The 640 x 480 builds and the 320 x 240 build.
PICTURE_SETS = {"640x480": (640, 480), "320x240": (320, 240)}
KINDS_WITH_ALPHA = {1, 32}
FONT_FACE = "IPAGothic"

DEFAULT_LAYOUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo", "layout",
                              "sheets.json")


class Scale:
    """The engine's conversion of design values to one screen's pixels."""

    def __init__(self, width, height):
        self.width = width
        self.height = height

    def x(self, value):
        return value * self.width // DESIGN_WIDTH

    def y(self, value):
        return value * self.height // DESIGN_HEIGHT

    def rect(self, design_rect):
        x, y, w, h = design_rect
        return self.x(x), self.y(y), self.x(w), self.y(h)


def expand_pieces(sheet, name):
    """The sheet's pieces with every repeat written out and labels filled."""
    pieces = []
    for piece in sheet["pieces"]:
        repeat = piece.get("repeat", {"count": 1, "step": [0, 0], "first": 0})
        x, y, w, h = piece["rect"]
        for i in range(repeat["count"]):
            label = piece["label"].replace("{name}", name).replace("{n}", str(repeat["first"] + i))
            rect = [x + i * repeat["step"][0], y + i * repeat["step"][1], w, h]
            pieces.append({"rect": rect, "label": label, "shows": piece["shows"]})
    return pieces


def colour_of(text, lightness):
    """A steady colour per text (crc32, not the salted built-in hash)."""
    seed = zlib.crc32(text.encode("utf-8"))
    hue = (seed % 360) / 360.0
    r, g, b = (0.5 + 0.5 * math.cos(2 * math.pi * (hue + k / 3.0)) for k in range(3))
    return tuple(lightness * 0.5 + c * 0.5 * lightness for c in (r, g, b))


# How each kind of piece looks: fill colour lightness, fill opacity, outline.
PIECE_STYLES = {
    "highlight": (1.0, 0.95, True),
    "selected": (0.9, 0.95, True),
    "playing": (0.8, 0.95, True),
    "button": (0.7, 0.9, True),
    "tab": (0.6, 0.9, True),
    "panel": (0.4, 0.75, True),
    "frame": (0.3, 0.6, False),
    "row-frame": (0.9, 0.0, True),
    "cell-frame": (0.8, 0.0, True),
    "cursor": (1.0, 0.0, True),
    "plate": (0.5, 0.85, True),
    "cut-out": (0.7, 1.0, False),
    "portrait": (0.7, 1.0, False),
    "thumbnail": (0.6, 1.0, True),
    "background": (0.35, 1.0, False),
    "current": (1.0, 1.0, True),
    "greyed": (0.25, 0.6, True),
    "title": (0.5, 0.0, False),
    "logo": (0.8, 1.0, True),
    "caption": (0.5, 0.0, False),
    "label": (0.45, 0.8, True),
    "row": (0.3, 0.7, True),
    "box": (0.15, 1.0, True),
    "track": (0.2, 0.9, True),
    "bar": (0.3, 0.8, True),
    "cell": (0.25, 0.7, True),
    "scene": (0.6, 1.0, False),
}
DEFAULT_STYLE = (0.6, 0.9, True)


def draw_label(context, label, left, top, width, height):
    lines = label.split("\n")
    if not label or width < 2 or height < 2:
        return
    context.select_font_face(FONT_FACE, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    size = min(height * 0.6 / len(lines), 48.0)
    widest = max(lines, key=len)
    while size > 3:
        context.set_font_size(size)
        if context.text_extents(widest).x_advance <= width * 0.9:
            break
        size -= 1
    line_height = height / len(lines)
    # White letters edged in black read on any fill and on transparent parts;
    # small letters go unedged, which would fill them in.
    context.set_line_width(size / 8)
    for i, line in enumerate(lines):
        extents = context.text_extents(line)
        x = left + (width - extents.x_advance) / 2
        y = top + line_height * i + (line_height + extents.height) / 2
        context.move_to(x, y)
        context.text_path(line)
        if size >= 10:
            context.set_source_rgba(0, 0, 0, 1)
            context.stroke_preserve()
        context.set_source_rgba(1, 1, 1, 1)
        context.fill()


def draw_cut_out(context, left, top, width, height, colour):
    """A stylised figure: head and body, transparent around them."""
    context.set_source_rgba(*colour, 1.0)
    radius = min(width, height) * 0.2
    context.arc(left + width / 2, top + radius * 1.2, radius, 0, 2 * math.pi)
    context.fill()
    context.move_to(left + width * 0.15, top + height)
    context.line_to(left + width / 2, top + radius * 2.2)
    context.line_to(left + width * 0.85, top + height)
    context.close_path()
    context.fill()


def draw_piece(context, piece, scale, name):
    left, top, width, height = scale.rect(piece["rect"])
    if width <= 0 or height <= 0:
        return
    lightness, opacity, outline = PIECE_STYLES.get(piece["shows"], DEFAULT_STYLE)
    colour = colour_of(name + piece["shows"] + piece["label"], lightness)
    context.save()
    # Nothing spills into the neighbouring pieces the engine cuts.
    context.rectangle(left, top, width, height)
    context.clip()
    if piece["shows"] in ("cut-out", "portrait"):
        draw_cut_out(context, left, top, width, height, colour)
    elif piece["shows"] == "background":
        gradient = cairo.LinearGradient(left, top, left, top + height)
        gradient.add_color_stop_rgb(0, *colour)
        gradient.add_color_stop_rgb(1, *(c * 0.4 for c in colour))
        context.set_source(gradient)
        context.paint()
    elif opacity > 0:
        context.set_source_rgba(*colour, opacity)
        context.paint()
    if outline:
        line = max(1, min(2, min(width, height) // 16))
        context.set_line_width(line)
        context.set_source_rgba(1, 1, 1, 1)
        context.rectangle(left + line / 2, top + line / 2, width - line, height - line)
        context.stroke()
    draw_label(context, piece["label"], left, top, width, height)
    context.restore()


def draw_sheet(sheet, name, scale):
    width = scale.x(sheet["design"][0])
    height = scale.y(sheet["design"][1])
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    context = cairo.Context(surface)
    if sheet["kind"] not in KINDS_WITH_ALPHA:
        context.set_source_rgb(0, 0, 0)
        context.paint()
    font_options = cairo.FontOptions()
    font_options.set_antialias(cairo.ANTIALIAS_GRAY)
    font_options.set_hint_style(cairo.HINT_STYLE_NONE)
    context.set_font_options(font_options)
    for piece in expand_pieces(sheet, name):
        draw_piece(context, piece, scale, name)
    surface.flush()
    return surface


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--layout", default=DEFAULT_LAYOUT)
    parser.add_argument("out")
    args = parser.parse_args()
    with open(args.layout, encoding="utf-8") as file:
        layout = json.load(file)
    for set_name, (screen_width, screen_height) in PICTURE_SETS.items():
        scale = Scale(screen_width, screen_height)
        folder = os.path.join(args.out, set_name)
        os.makedirs(folder, exist_ok=True)
        listing = []
        for sheet in layout["sheets"]:
            for name in sheet["names"]:
                draw_sheet(sheet, name, scale).write_to_png(os.path.join(folder, name + ".png"))
                listing.append("%s %d %d %d\n" % (name, sheet["kind"], sheet["design"][0], sheet["design"][1]))
        with open(os.path.join(folder, "pictures.txt"), "w", encoding="utf-8", newline="\n") as file:
            file.writelines(listing)
    return 0


if __name__ == "__main__":
    sys.exit(main())
