#!/usr/bin/env python3
"""Reads the CG gallery's data file, the one the game compiles its gallery
table from, so the demo game's builder makes the same pictures.

    tools/cg_gallery_records.py [RECORDS_FILE]

prints the records, one "identifier name" line each, in table order.
RECORDS_FILE is game/extras/cg_gallery_records.txt by default.
"""
import os
import sys

DEFAULT_RECORDS_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "game", "extras",
                                    "cg_gallery_records.txt")


def read_cg_gallery_records(path=DEFAULT_RECORDS_FILE):
    """Yields (identifier, name) for each record, in the file's order."""
    with open(path, encoding="ascii") as records:
        for line in records:
            if line.strip() and not line.lstrip().startswith("#"):
                identifier, name = line.split()
                yield int(identifier), name


if __name__ == "__main__":
    for identifier, name in read_cg_gallery_records(*sys.argv[1:2]):
        print(identifier, name)
