"""Frames of the demo's movies, numbered PNGs at 30 frames a second with
the frame number in the upper right corner, the same on every run."""

import colorsys
import math
import os
import random

import cairo

from canvas import draw_label, new_picture

FRAMES_PER_SECOND = 30


def draw_frame_number(context, number, width, height):
    box_width, box_height = width // 6, height // 12
    left = width - box_width - 4
    context.set_source_rgba(0, 0, 0, 0.7)
    context.rectangle(left, 4, box_width, box_height)
    context.fill()
    draw_label(context, "%04d" % number, left, 4, box_width, box_height)


def draw_opening(context, index, count, width, height):
    """A sky sweeping through the colours of a day while a star rises over
    the observatory hill and the title fades in."""
    t = index / (count - 1)
    top = colorsys.hsv_to_rgb((0.6 + 0.5 * t) % 1.0, 0.7, 0.9 - 0.5 * t)
    bottom = colorsys.hsv_to_rgb((0.08 + 0.5 * t) % 1.0, 0.5, 1.0)
    gradient = cairo.LinearGradient(0, 0, 0, height)
    gradient.add_color_stop_rgb(0, *top)
    gradient.add_color_stop_rgb(1, *bottom)
    context.set_source(gradient)
    context.paint()
    context.set_source_rgb(1, 1, 0.8)
    star_x, star_y = width * (0.2 + 0.6 * t), height * (0.7 - 0.5 * math.sin(math.pi * t * 0.9))
    for k in range(10):
        angle = math.pi * k / 5 - math.pi / 2
        radius = height * (0.06 if k % 2 == 0 else 0.025)
        context.line_to(star_x + radius * math.cos(angle), star_y + radius * math.sin(angle))
    context.close_path()
    context.fill()
    context.set_source_rgb(0.1, 0.15, 0.12)
    context.move_to(0, height)
    context.curve_to(width * 0.3, height * 0.65, width * 0.7, height * 0.7, width, height * 0.8)
    context.line_to(width, height)
    context.close_path()
    context.fill()
    context.arc(width * 0.62, height * 0.72, height * 0.08, math.pi, 2 * math.pi)
    context.fill()
    context.push_group()
    draw_label(context, "星見台のメロディ", width * 0.1, height * 0.3, width * 0.8, height * 0.2)
    context.pop_group_to_source()
    context.paint_with_alpha(min(1.0, max(0.0, (t - 0.3) * 2)))


class StarField:
    """Stars flying out of the middle of the screen, as from a moving ship."""

    def __init__(self):
        rng = random.Random(20240601)
        self.stars = [(rng.uniform(-1, 1), rng.uniform(-1, 1), rng.uniform(0.05, 1.0)) for _ in range(500)]

    def __call__(self, context, index, count, width, height):
        context.set_source_rgb(0, 0, 0.05)
        context.paint()
        for x, y, depth in self.stars:
            z = (depth - index / 60.0) % 1.0 + 0.02
            screen_x, screen_y = width / 2 + x * width * 0.25 / z, height / 2 + y * height * 0.25 / z
            brightness = min(1.0, 0.3 / z)
            context.set_source_rgb(brightness, brightness, min(1.0, brightness * 1.1 + 0.1))
            context.arc(screen_x, screen_y, min(5.0, max(0.8, 0.8 / z)), 0, 2 * math.pi)
            context.fill()


# name: (width, height, seconds, painter)
MOVIES = {
    "sorabel_OP": (320, 240, 4, draw_opening),
    "star_movie": (640, 480, 2, StarField()),
}


def write_movie_frames(name, folder):
    """Writes folder/0001.png, 0002.png, ...; the number of frames."""
    width, height, seconds, painter = MOVIES[name]
    count = seconds * FRAMES_PER_SECOND
    os.makedirs(folder, exist_ok=True)
    for index in range(count):
        surface, context = new_picture(width, height)
        painter(context, index, count, width, height)
        draw_frame_number(context, index + 1, width, height)
        surface.flush()
        surface.write_to_png(os.path.join(folder, "%04d.png" % (index + 1)))
    return count
