"""Drawing basics every demo picture shares: the engine's design-to-device
conversion, a blank picture of the right size, steady colours and labels."""

import math
import zlib

import cairo

DESIGN_WIDTH = 800
DESIGN_HEIGHT = 600
# The 640 x 480 builds and the 320 x 240 build.
PICTURE_SETS = {"640x480": (640, 480), "320x240": (320, 240)}
KINDS_WITH_ALPHA = {1, 32}
FONT_FACE = "IPAGothic"


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


def new_picture(width, height, kind=30):
    """A picture of width x height pixels for a ".rbp" kind: black when the
    kind is opaque, transparent when it keeps alpha."""
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    context = cairo.Context(surface)
    if kind not in KINDS_WITH_ALPHA:
        context.set_source_rgb(0, 0, 0)
        context.paint()
    font_options = cairo.FontOptions()
    font_options.set_antialias(cairo.ANTIALIAS_GRAY)
    font_options.set_hint_style(cairo.HINT_STYLE_NONE)
    context.set_font_options(font_options)
    return surface, context


def colour_of(text, lightness):
    """A steady colour per text (crc32, not the salted built-in hash)."""
    seed = zlib.crc32(text.encode("utf-8"))
    hue = (seed % 360) / 360.0
    r, g, b = (0.5 + 0.5 * math.cos(2 * math.pi * (hue + k / 3.0)) for k in range(3))
    return tuple(lightness * 0.5 + c * 0.5 * lightness for c in (r, g, b))


def draw_label(context, label, left, top, width, height):
    """Centred white lines, as large as fit the box."""
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


def draw_corner_name(context, name, surface):
    """The picture's name, small in the lower right corner, so a screenshot
    says which picture it shows."""
    width, height = surface.get_width(), surface.get_height()
    box_height = max(14, height // 24)
    box_width = min(width, box_height * max(4, len(name)) * 0.6)
    context.save()
    context.identity_matrix()
    context.rectangle(width - box_width - 2, height - box_height - 2, box_width, box_height)
    context.set_source_rgba(0, 0, 0, 0.55)
    context.fill()
    draw_label(context, name, width - box_width - 2, height - box_height - 2, box_width, box_height)
    context.restore()
