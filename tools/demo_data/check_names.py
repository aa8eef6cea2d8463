#!/usr/bin/env python3
"""Checks that the data makes every name the demo scripts use.

    check_names.py --names NAMES --pictures LIST... --sounds DIR --movie NAME... --stamp FILE

NAMES is the scripts' name list (the script converter refuses any other
name). A picture counts when every picture set's list (the art program's
pictures.txt) holds it, a sound when the sound maker wrote it into
DIR/bgm, DIR/se or DIR/voice (any extension), a movie when the build makes
it. On success the stamp file is written; otherwise exit status 1 with one
line per missing name.
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo_script"))
from demo_script import read_names  # noqa: E402


def picture_names(list_path):
    with open(list_path, encoding="utf-8") as listing:
        return {line.split()[0] for line in listing if line.split()}


def sound_names(folder):
    names = set()
    for kind in ("bgm", "se", "voice"):
        path = os.path.join(folder, kind)
        if os.path.isdir(path):
            names.update(os.path.splitext(name)[0] for name in os.listdir(path))
    return names


def missing_names(wanted, picture_sets, sounds, movies):
    """Lines naming each wanted name nothing makes, or that a picture set lacks."""
    problems = []
    for name in sorted(wanted):
        if name in sounds or name in movies:
            continue
        lacking = [label for label, names in picture_sets if name not in names]
        if len(lacking) == len(picture_sets):
            problems.append("'%s' is used by the scripts but no picture, sound or movie is made for it" % name)
        elif lacking:
            problems.append("picture '%s' is missing from the %s set" % (name, ", ".join(lacking)))
    return problems


def main():
    parser = argparse.ArgumentParser(description="Checks the data against the scripts' name list.")
    parser.add_argument("--names", required=True)
    parser.add_argument("--pictures", nargs="+", required=True, help="each picture set's pictures.txt")
    parser.add_argument("--sounds", required=True, help="the sound maker's output folder")
    parser.add_argument("--movie", action="append", default=[])
    parser.add_argument("--stamp", required=True)
    args = parser.parse_args()
    try:
        picture_sets = [(os.path.basename(os.path.dirname(path)), picture_names(path)) for path in args.pictures]
        problems = missing_names(read_names(args.names), picture_sets, sound_names(args.sounds), set(args.movie))
    except OSError as error:
        sys.exit("check_names: %s" % error)
    if problems:
        sys.exit("check_names: %s\ncheck_names: %s" % (args.names, "\ncheck_names: ".join(problems)))
    with open(args.stamp, "w", encoding="utf-8") as stamp:
        stamp.write("ok\n")


if __name__ == "__main__":
    main()
