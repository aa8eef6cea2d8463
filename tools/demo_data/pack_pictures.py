#!/usr/bin/env python3
"""Turns one picture set of the art program into one picture archive.

    pack_pictures.py --rbp-make PATH --mlz-pack PATH --set DIR --archive pict|pict2
                     --magic 2|3 --quality Q --work DIR --jobs N [--script-names NAMES] OUT.mlz

DIR/pictures.txt lists "name kind design-width design-height [archive]"
(archive "pict" when missing); each listed PNG of the wanted archive becomes
an ".rbp" of its kind through rbp_make, several at a time. Kinds 13 and 1
(raw pixels, which pack well) are LZSS-packed in the archive, the JPEG-coded
kinds stored. The scripts name their pictures as files ("BgSet bg_room.bmp")
and the engine looks up the name as written plus ".rbp", while the screens
(the CG gallery's viewer) look up the bare name: every picture NAMES lists is
in the archive under both entries, "bg_room.rbp" and "bg_room.bmp.rbp".
Exit status 1 with a message when a picture fails.
"""
import argparse
import concurrent.futures
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo_script"))
from demo_script import read_names  # noqa: E402

PACKED_KINDS = {13, 1}
JPEG_KINDS = {30, 32}
# The extension the scripts write on picture names.
SCRIPT_EXTENSION = ".bmp"


class ListError(Exception):
    pass


def read_pictures(list_path, archive):
    """The (name, kind, design width, design height) rows of one archive."""
    pictures = []
    with open(list_path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            fields = line.split()
            if not fields:
                continue
            if len(fields) not in (4, 5):
                raise ListError("%s:%d: needs name, kind, design width, design height [archive]" % (list_path, number))
            if (fields[4] if len(fields) == 5 else "pict") != archive:
                continue
            try:
                kind, width, height = int(fields[1]), int(fields[2]), int(fields[3])
            except ValueError:
                raise ListError("%s:%d: kind and design size are numbers" % (list_path, number)) from None
            pictures.append((fields[0], kind, width, height))
    return pictures


def convert(rbp_make, set_dir, work, quality, picture):
    name, kind, width, height = picture
    command = [rbp_make, "-k", str(kind), "-d", "%dx%d" % (width, height)]
    if kind in JPEG_KINDS:
        command += ["-q", str(quality)]
    command += [os.path.join(set_dir, name + ".png"), os.path.join(work, name + ".rbp")]
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return None if result.returncode == 0 else "%s: %s" % (name, result.stderr.strip() or "rbp_make failed")


def main():
    parser = argparse.ArgumentParser(description="Packs one picture set's archive.")
    parser.add_argument("--rbp-make", required=True)
    parser.add_argument("--mlz-pack", required=True)
    parser.add_argument("--set", required=True, help="the art program's folder of one picture set")
    parser.add_argument("--archive", required=True, choices=["pict", "pict2"])
    parser.add_argument("--magic", required=True, choices=["2", "3"])
    parser.add_argument("--quality", type=int, default=85)
    parser.add_argument("--work", required=True, help="folder for the .rbp files")
    parser.add_argument("--jobs", type=int, default=len(os.sched_getaffinity(0)))
    parser.add_argument("--script-names", help="the scripts' name list: these pictures get a second entry")
    parser.add_argument("out")
    args = parser.parse_args()
    try:
        pictures = read_pictures(os.path.join(args.set, "pictures.txt"), args.archive)
    except (ListError, OSError) as error:
        sys.exit("pack_pictures: %s" % error)
    if not pictures:
        sys.exit("pack_pictures: %s lists no picture for '%s'" % (args.set, args.archive))
    os.makedirs(args.work, exist_ok=True)
    with concurrent.futures.ThreadPoolExecutor(max(1, args.jobs)) as pool:
        failures = [f for f in pool.map(lambda p: convert(args.rbp_make, args.set, args.work, args.quality, p),
                                        pictures) if f]
    if failures:
        sys.exit("pack_pictures: " + "\npack_pictures: ".join(failures))
    script_names = read_names(args.script_names) if args.script_names else set()
    entries = []
    for name, kind, _, _ in pictures:
        entries.append((os.path.join(args.work, name + ".rbp"), kind))
        if name in script_names:
            alias = os.path.join(args.work, name + SCRIPT_EXTENSION + ".rbp")
            shutil.copyfile(entries[-1][0], alias)
            entries.append((alias, kind))
    packed = [path for path, kind in entries if kind in PACKED_KINDS]
    stored = [path for path, kind in entries if kind not in PACKED_KINDS]
    command = [args.mlz_pack, "-" + args.magic, args.out]
    if packed:
        command += ["-z"] + packed
    if stored:
        command += ["-s"] + stored
    if subprocess.run(command).returncode != 0:
        sys.exit("pack_pictures: mlz_pack failed on %s" % args.out)


if __name__ == "__main__":
    main()
