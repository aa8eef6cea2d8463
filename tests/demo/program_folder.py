"""A fresh program folder for a headless run of one demo program: copies of
the program, its plug-ins and the data folder, and an empty save folder."""

import os
import shutil
import tempfile

# The screen each program draws (the landscape view of display memory).
SCREENS = {"novel_ce5": (640, 480), "novel_ce4": (640, 480), "novel_ce3": (320, 240)}
PLUG_INS = ("Kestrine.ovl", "Tamberwick.ovl")


def make_program_folder(bin_dir, program, data_dir):
    # The host takes the data from the real program's folder, so everything
    # is copied; the '.' in the path is one the engine must keep.
    folder = tempfile.mkdtemp(prefix="demo.replay.")
    shutil.copy2(os.path.join(bin_dir, program), folder)
    for plug_in in PLUG_INS:
        shutil.copy2(os.path.join(bin_dir, plug_in), folder)
    shutil.copytree(data_dir, os.path.join(folder, "data"), ignore=shutil.ignore_patterns("save"))
    os.makedirs(os.path.join(folder, "data", "save"))
    return folder
