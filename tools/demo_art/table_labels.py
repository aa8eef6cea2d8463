"""Text the sheets show that the game itself defines: which picture or scene
sits in each thumbnail cell (read from the game's own tables, so the cells
name what the screens open) and the music room's track titles."""

import os
import re
import sys

SOURCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools"))
from cg_gallery_records import read_cg_gallery_records  # noqa: E402

EXTRA_PICTURE_TABLE = os.path.join(SOURCE_DIR, "game", "extras", "extra_picture_table.cpp")
RECOLLECTION_TABLE = os.path.join(SOURCE_DIR, "game", "extras", "recollection_table.cpp")
MUSIC_TITLES = os.path.join(SOURCE_DIR, "demo", "music_titles.txt")

# Identifiers are 32 x tab (or category) + 16 x page + cell on the CG and
# extra-picture screens, 16 x tab + cell on the recollection screen.
THUMBNAIL_SHEET = re.compile(r"^(cg_sum|extra_sum|scene_sum)(\d)-(\d)$")


def read_table_source(path, record_pattern):
    """The records of a game table written as C++ initialisers, in order,
    up to the -1 terminator."""
    with open(path, encoding="utf-8") as file:
        text = file.read()
    records = []
    for match in re.finditer(record_pattern, text):
        if int(match.group(1)) == -1:
            return records
        records.append((int(match.group(1)), match.group(2)))
    raise ValueError("%s: no terminated table of records" % path)


def first_names(records):
    """identifier -> the first name recorded for it (the thumbnail's picture)."""
    names = {}
    for identifier, name in records:
        names.setdefault(identifier, name)
    return names


class ThumbnailLabels:
    """The label of each cell of the "cg_sum", "extra_sum" and "scene_sum"
    sheets; empty for a cell no record uses."""

    def __init__(self):
        self.cg_names = first_names(read_cg_gallery_records())
        self.extra_names = first_names(
            read_table_source(EXTRA_PICTURE_TABLE, r'\{\s*(-?\d+)\s*,\s*0\s*,\s*(?:"([^"]+)"|nullptr)\s*\}'))
        self.scene_names = first_names(
            read_table_source(RECOLLECTION_TABLE, r'\{\s*(-?\d+)\s*,\s*(?:"([^"]+)"|nullptr)\s*,'))

    def label(self, sheet_name, cell):
        match = THUMBNAIL_SHEET.match(sheet_name)
        if not match:
            raise ValueError("%s is not a thumbnail sheet" % sheet_name)
        kind, tab, page = match.group(1), int(match.group(2)) - 1, int(match.group(3)) - 1
        if kind == "scene_sum":
            return self.scene_names.get(16 * tab + cell, "")
        identifier = 32 * tab + 16 * page + cell
        if kind == "extra_sum":
            return self.extra_names.get(identifier, "")
        name = self.cg_names.get(identifier)
        return "" if name is None else "%d\n%s" % (identifier, name)


def read_music_titles(path=MUSIC_TITLES):
    """track number -> title, from "NN title" lines."""
    titles = {}
    with open(path, encoding="utf-8") as file:
        for line_number, line in enumerate(file, 1):
            if not line.strip() or line.startswith("#"):
                continue
            number, _, title = line.strip().partition(" ")
            if not number.isdigit() or not title.strip():
                raise ValueError("%s:%d: not \"<track> <title>\"" % (path, line_number))
            titles[int(number)] = title.strip()
    return titles
