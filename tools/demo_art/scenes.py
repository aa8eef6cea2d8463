"""The pictures the demo scripts choose (demo/layout/scenes.json): a room, a
hill, the observatory, event pictures with the characters in them, the
characters themselves on transparent ground, and the rule picture of the
wipe. Each is painted in design units and scaled to its set."""

import math
import random
import zlib

import cairo

from canvas import DESIGN_HEIGHT, DESIGN_WIDTH, draw_corner_name, new_picture

SKIES = {
    # top colour, horizon colour
    "day": ((0.35, 0.6, 0.95), (0.8, 0.9, 1.0)),
    "dusk": ((0.3, 0.25, 0.55), (1.0, 0.6, 0.35)),
    "dawn": ((0.45, 0.55, 0.85), (1.0, 0.8, 0.6)),
    "night": ((0.02, 0.03, 0.12), (0.12, 0.15, 0.35)),
}
GRASS = {"day": (0.4, 0.7, 0.35), "dusk": (0.3, 0.4, 0.3), "dawn": (0.45, 0.65, 0.4), "night": (0.1, 0.18, 0.15)}


def seeded(name):
    """A random source of its own per picture (crc32, stable between runs)."""
    return random.Random(zlib.crc32(name.encode("utf-8")))


def paint_sky(context, width, height, sky, rng):
    top, horizon = SKIES[sky]
    gradient = cairo.LinearGradient(0, 0, 0, height)
    gradient.add_color_stop_rgb(0, *top)
    gradient.add_color_stop_rgb(1, *horizon)
    context.set_source(gradient)
    context.rectangle(0, 0, width, height)
    context.fill()
    if sky == "night":
        for _ in range(width // 4):
            x, y, r = rng.uniform(0, width), rng.uniform(0, height * 0.7), rng.uniform(0.8, 2.2)
            context.set_source_rgba(1, 1, 0.9, rng.uniform(0.5, 1.0))
            context.arc(x, y, r, 0, 2 * math.pi)
            context.fill()
        context.set_source_rgb(1, 0.97, 0.8)
        context.arc(width * 0.8, height * 0.15, 30, 0, 2 * math.pi)
        context.fill()
    else:
        sun_height = {"day": 0.15, "dusk": 0.55, "dawn": 0.5}[sky]
        context.set_source_rgba(1, 0.95, 0.7, 0.9)
        context.arc(width * 0.2, height * sun_height, 40, 0, 2 * math.pi)
        context.fill()
        for _ in range(max(2, width // 300)):
            x, y = rng.uniform(0, width), rng.uniform(40, 200)
            context.set_source_rgba(1, 1, 1, 0.7)
            for dx, r in ((-30, 22), (0, 30), (30, 22)):
                context.arc(x + dx, y, r, 0, 2 * math.pi)
                context.fill()


def paint_hills(context, width, height, sky):
    """Two rolling hills across the whole width, the far one paler."""
    grass = GRASS[sky]
    for level, shade in ((0.62, 0.75), (0.75, 1.0)):
        context.move_to(0, height)
        context.line_to(0, height * level)
        waves = max(1, width // 400)
        for i in range(waves):
            x0 = width * i / waves
            x1 = width * (i + 1) / waves
            lift = height * (0.08 if (i + int(level * 10)) % 2 else -0.05)
            context.curve_to(x0 + (x1 - x0) / 3, height * level - lift, x0 + 2 * (x1 - x0) / 3,
                             height * level - lift, x1, height * level)
        context.line_to(width, height)
        context.close_path()
        context.set_source_rgb(*(c * shade for c in grass))
        context.fill()


def paint_dome(context, x, y, size, sky):
    """The observatory: a round tower under a dome with its open slit."""
    wall = (0.85, 0.82, 0.75) if sky != "night" else (0.35, 0.35, 0.45)
    context.set_source_rgb(*wall)
    context.rectangle(x - size / 2, y, size, size * 0.8)
    context.fill()
    context.set_source_rgb(*(c * 0.8 for c in wall))
    context.arc(x, y, size / 2, math.pi, 2 * math.pi)
    context.fill()
    context.set_source_rgb(0.15, 0.15, 0.2)
    context.rectangle(x - size * 0.06, y - size / 2, size * 0.12, size / 2)
    context.fill()
    context.rectangle(x - size * 0.1, y + size * 0.4, size * 0.2, size * 0.4)
    context.fill()
    if sky == "night":
        context.set_source_rgba(1, 0.9, 0.5, 0.9)
        context.rectangle(x + size * 0.22, y + size * 0.2, size * 0.12, size * 0.12)
        context.fill()


def paint_room(context, width, height, sky, rng):
    """A small room: wall, floor, a window on the sky, a desk and a shelf."""
    context.set_source_rgb(0.95, 0.88, 0.75)
    context.rectangle(0, 0, width, height)
    context.fill()
    context.set_source_rgb(0.7, 0.5, 0.35)
    context.rectangle(0, height * 0.72, width, height * 0.28)
    context.fill()
    window = (width * 0.55, height * 0.12, width * 0.3, height * 0.35)
    context.save()
    context.rectangle(*window)
    context.clip()
    context.translate(window[0], window[1])
    paint_sky(context, window[2], window[3] * 1.6, sky, rng)
    context.restore()
    context.set_line_width(8)
    context.set_source_rgb(1, 1, 1)
    context.rectangle(*window)
    context.stroke()
    context.move_to(window[0] + window[2] / 2, window[1])
    context.line_to(window[0] + window[2] / 2, window[1] + window[3])
    context.stroke()
    context.set_source_rgb(0.55, 0.35, 0.2)
    context.rectangle(width * 0.08, height * 0.55, width * 0.3, height * 0.05)
    context.fill()
    context.rectangle(width * 0.1, height * 0.6, width * 0.03, height * 0.14)
    context.rectangle(width * 0.33, height * 0.6, width * 0.03, height * 0.14)
    context.fill()
    context.rectangle(width * 0.08, height * 0.18, width * 0.3, height * 0.03)
    context.fill()
    for i in range(7):
        context.set_source_rgb(rng.uniform(0.3, 0.9), rng.uniform(0.3, 0.9), rng.uniform(0.3, 0.9))
        context.rectangle(width * (0.09 + 0.035 * i), height * 0.1, width * 0.028, height * 0.08)
        context.fill()
    if sky in ("dusk", "night"):
        context.set_source_rgba(0.2, 0.1, 0.3, 0.3)
        context.rectangle(0, 0, width, height)
        context.fill()


def paint_character(context, left, top, width, height, look):
    """A stylised figure standing in the box: hair, face, clothes, arms."""
    cx = left + width / 2
    head = width * 0.28
    head_y = top + height * 0.2
    context.set_source_rgb(*look["hair"])
    if look["long_hair"]:
        context.rectangle(cx - head * 1.1, head_y, head * 2.2, height * 0.25)
        context.fill()
    context.set_source_rgb(*look["clothes"])
    context.move_to(cx - width * 0.12, head_y + head)
    context.line_to(cx + width * 0.12, head_y + head)
    context.line_to(cx + width * 0.42, top + height * 0.85)
    context.line_to(cx - width * 0.42, top + height * 0.85)
    context.close_path()
    context.fill()
    context.set_source_rgb(*look["skin"])
    for side in (-1, 1):
        context.rectangle(cx + side * width * 0.2 - width * 0.05, top + height * 0.85, width * 0.1, height * 0.15)
    context.fill()
    context.set_line_width(width * 0.08)
    context.set_line_cap(cairo.LINE_CAP_ROUND)
    for side in (-1, 1):
        context.move_to(cx + side * width * 0.14, head_y + head * 1.4)
        context.line_to(cx + side * width * 0.3, top + height * 0.55)
    context.stroke()
    context.arc(cx, head_y, head, 0, 2 * math.pi)
    context.fill()
    context.set_source_rgb(*look["hair"])
    context.arc(cx, head_y - head * 0.15, head * 1.05, math.pi, 2 * math.pi)
    context.fill()
    context.set_source_rgb(0.15, 0.1, 0.1)
    for side in (-1, 1):
        context.arc(cx + side * head * 0.4, head_y + head * 0.15, head * 0.12, 0, 2 * math.pi)
        context.fill()
    if look["hat"]:
        context.set_source_rgb(*(c * 0.6 for c in look["clothes"]))
        context.rectangle(cx - head * 1.4, head_y - head * 1.0, head * 2.8, head * 0.25)
        context.rectangle(cx - head * 0.8, head_y - head * 1.8, head * 1.6, head * 0.85)
        context.fill()


def paint_rule(context, width, height):
    """The wipe's order in grey: the centre (green 255) turns first, the
    corners last, so the new picture opens as a widening circle."""
    gradient = cairo.RadialGradient(width / 2, height / 2, 0, width / 2, height / 2,
                                    math.hypot(width / 2, height / 2))
    gradient.add_color_stop_rgb(0, 1, 1, 1)
    gradient.add_color_stop_rgb(1, 0, 0, 0)
    context.set_source(gradient)
    context.paint()


class ScenePainter:
    """Paints one scenes.json picture; characters are looked up by name so
    event pictures show the same figures as the sprites."""

    def __init__(self, pictures):
        self.looks = {picture["name"]: picture for picture in pictures if picture["draws"] == "character"}

    def draw(self, picture, scale):
        width, height = picture["design"]
        surface, context = new_picture(scale.x(width), scale.y(height), picture["kind"])
        context.scale(scale.width / DESIGN_WIDTH, scale.height / DESIGN_HEIGHT)
        rng = seeded(picture["name"])
        draws = picture["draws"]
        if draws == "rule":
            paint_rule(context, width, height)
            surface.flush()
            # The rule is never shown itself: a name on it would only be a
            # blot in the wipe.
            return surface
        if draws == "character":
            paint_character(context, 0, 0, width, height, picture)
        elif draws == "room":
            paint_room(context, width, height, picture["sky"], rng)
        else:
            paint_sky(context, width, height, picture["sky"], rng)
            if picture.get("shooting_star"):
                context.set_source_rgba(1, 1, 0.85, 0.9)
                context.set_line_width(3)
                context.move_to(width * 0.3, height * 0.08)
                context.line_to(width * 0.5, height * 0.25)
                context.stroke()
            if draws == "observatory":
                paint_dome(context, width * 0.65, height * 0.42, 220, picture["sky"])
            paint_hills(context, width, height, picture["sky"])
            if draws == "hill" and width > DESIGN_WIDTH:
                paint_dome(context, width * 0.85, height * 0.4, 160, picture["sky"])
        self.paint_figures(context, picture.get("figures", []), width, height)
        draw_corner_name(context, picture["name"], surface)
        surface.flush()
        return surface

    def paint_figures(self, context, names, width, height):
        """The characters side by side, feet on the ground."""
        figure_width, figure_height = 120, 450
        step = min(figure_width + 20, (width - 80) / max(1, len(names)))
        left = (width - step * len(names)) / 2
        for i, name in enumerate(names):
            paint_character(context, left + step * i + (step - figure_width) / 2, height - figure_height - 10,
                            figure_width, figure_height, self.looks[name])
