#!/usr/bin/env python3
"""Packs every file of a folder, in name order, into one archive.

    pack_folder.py MLZ_PACK -2|-3 -z|-s FOLDER OUT.mlz

-2/-3 pick the archive magic, -z packs the entries with LZSS, -s stores them.
"""
import os
import subprocess
import sys


def main():
    if len(sys.argv) != 6 or sys.argv[2] not in ("-2", "-3") or sys.argv[3] not in ("-z", "-s"):
        sys.exit("usage: pack_folder.py MLZ_PACK -2|-3 -z|-s FOLDER OUT.mlz")
    mlz_pack, magic, method, folder, out = sys.argv[1:]
    files = sorted(os.path.join(folder, name) for name in os.listdir(folder)
                   if os.path.isfile(os.path.join(folder, name)))
    if not files:
        sys.exit("pack_folder: %s is empty" % folder)
    sys.exit(subprocess.run([mlz_pack, magic, out, method] + files).returncode)


if __name__ == "__main__":
    main()
