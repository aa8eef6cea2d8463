#!/usr/bin/env python3
"""Draws the demo game's pictures, or the frames of one of its movies.

Every sheet of the sheet layout and every picture of the scene list is drawn
once per picture set, at that set's screen scale. Sheet pieces lie at exactly
the device rectangle the engine cuts: design values convert as v * screen
width / 800 (x, widths) and v * screen height / 600 (y, heights), truncating,
and a rectangle's position and size convert each on its own. Writes one PNG
per picture into OUT/<set>/ and a list OUT/<set>/pictures.txt of
"name kind design-width design-height archive" lines for the picture maker,
archive being "pict" or "pict2". With --movie, writes the movie's frames
OUT/0001.png, 0002.png, ... instead. The same sources give the same bytes on
every run.

    demo_art.py [--layout sheets.json] [--scenes scenes.json] OUT
    demo_art.py --movie sorabel_OP|star_movie OUT
"""

import argparse
import json
import multiprocessing
import os
import sys

# The data build runs this from the source tree, which it must leave clean.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from canvas import PICTURE_SETS, Scale  # noqa: E402
from movies import MOVIES, write_movie_frames  # noqa: E402
from scenes import ScenePainter  # noqa: E402
from sheets import LabelFiller, draw_sheet  # noqa: E402
from table_labels import ThumbnailLabels, read_music_titles  # noqa: E402

LAYOUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo", "layout")
# The archive entry adds ".rbp" to the name and holds at most 31 bytes.
LONGEST_NAME = 27


class PictureJobs:
    """Every picture of both sets, each drawn on its own so a pool of
    workers can share them."""

    def __init__(self, layout, scenes, out):
        fill_label = LabelFiller(ThumbnailLabels(), read_music_titles())
        painter = ScenePainter(scenes["pictures"])
        self.out = out
        self.pictures = []  # (name, kind, design, archive, draw(scale))
        for sheet in layout["sheets"]:
            for name in sheet["names"]:
                self.pictures.append((name, sheet["kind"], sheet["design"], "pict",
                                      lambda scale, sheet=sheet, name=name: draw_sheet(sheet, name, scale, fill_label)))
        for picture in scenes["pictures"]:
            self.pictures.append((picture["name"], picture["kind"], picture["design"], picture["archive"],
                                  lambda scale, picture=picture: painter.draw(picture, scale)))
        names = [picture[0] for picture in self.pictures]
        for name in names:
            if len(name.encode("utf-8")) > LONGEST_NAME or names.count(name) != 1:
                raise ValueError("picture name too long or given twice: %s" % name)

    def jobs(self):
        return [(set_name, index) for set_name in PICTURE_SETS for index in range(len(self.pictures))]

    def run(self, job):
        set_name, index = job
        name, _, _, _, draw = self.pictures[index]
        draw(Scale(*PICTURE_SETS[set_name])).write_to_png(os.path.join(self.out, set_name, name + ".png"))

    def write_listings(self):
        for set_name in PICTURE_SETS:
            with open(os.path.join(self.out, set_name, "pictures.txt"), "w", encoding="utf-8", newline="\n") as file:
                for name, kind, design, archive, _ in self.pictures:
                    file.write("%s %d %d %d %s\n" % (name, kind, design[0], design[1], archive))


# The pool's workers inherit the jobs when they start (fork).
JOBS = None


def run_job(job):
    JOBS.run(job)


def draw_pictures(layout_path, scenes_path, out):
    global JOBS
    with open(layout_path, encoding="utf-8") as file:
        layout = json.load(file)
    with open(scenes_path, encoding="utf-8") as file:
        scenes = json.load(file)
    JOBS = PictureJobs(layout, scenes, out)
    for set_name in PICTURE_SETS:
        os.makedirs(os.path.join(out, set_name), exist_ok=True)
    with multiprocessing.get_context("fork").Pool(min(4, os.cpu_count() or 1)) as pool:
        pool.map(run_job, JOBS.jobs(), chunksize=8)
    JOBS.write_listings()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--layout", default=os.path.join(LAYOUT_DIR, "sheets.json"))
    parser.add_argument("--scenes", default=os.path.join(LAYOUT_DIR, "scenes.json"))
    parser.add_argument("--movie", choices=sorted(MOVIES))
    parser.add_argument("out")
    args = parser.parse_args()
    if args.movie:
        write_movie_frames(args.movie, args.out)
    else:
        draw_pictures(args.layout, args.scenes, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
