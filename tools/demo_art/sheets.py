"""The engine-named sheets: every piece of demo/layout/sheets.json drawn at
exactly the device rectangle the engine cuts from it."""

import math

import cairo

from canvas import colour_of, draw_label, new_picture


def expand_pieces(sheet, name, fill_label):
    """The sheet's pieces with every repeat written out and labels filled."""
    pieces = []
    for piece in sheet["pieces"]:
        repeat = piece.get("repeat", {"count": 1, "step": [0, 0], "first": 0})
        x, y, w, h = piece["rect"]
        for i in range(repeat["count"]):
            label = fill_label(piece["label"], name, repeat["first"] + i)
            rect = [x + i * repeat["step"][0], y + i * repeat["step"][1], w, h]
            pieces.append({"rect": rect, "label": label, "shows": piece["shows"]})
    return pieces


class LabelFiller:
    """Fills a piece's label: {name} the sheet's name, {n} the repeat count,
    {thumbnail} what the game shows in thumbnail cell {n}, {title} the title
    of track {n}."""

    def __init__(self, thumbnails, music_titles):
        self.thumbnails = thumbnails
        self.music_titles = music_titles

    def __call__(self, label, name, n):
        if "{thumbnail}" in label:
            label = label.replace("{thumbnail}", self.thumbnails.label(name, n))
        if "{title}" in label:
            label = label.replace("{title}", self.music_titles[n])
        return label.replace("{name}", name).replace("{n}", str(n))


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


def draw_sheet(sheet, name, scale, fill_label):
    surface, context = new_picture(scale.x(sheet["design"][0]), scale.y(sheet["design"][1]), sheet["kind"])
    for piece in expand_pieces(sheet, name, fill_label):
        draw_piece(context, piece, scale, name)
    surface.flush()
    return surface
