#!/usr/bin/env python3
"""Seeds from the demo game's files, each as its target reads it and at most
64 KiB: the script archive and a small picture archive, two scripts, a
picture of every kind, an Ogg voice and the MP3 track, the opening movie's
first frames, and a save and "system.dat" from a short headless run.

    demo_seeds.py BUILD CORPUS

BUILD is a build folder whose bin/data the demo_data target wrote (its
demo_work folder holds the scripts, sounds and pictures before packing).
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "demo"))
sys.dont_write_bytecode = True
from program_folder import SCREENS, make_program_folder  # noqa: E402
from replay_script import read_replay, screen_input  # noqa: E402

SEED_LIMIT = 65536
# The replay's first run has saved into the first slot by then.
SAVED_BY_MS = 32000
# The opening movie keeps this many frames.
MOVIE_FRAMES = 6
# A kind-13 picture (two bytes a pixel, no packing) keeps its top rows only.
RGB565_ROWS = 80


def write_seed(corpus, target, name, data):
    if len(data) > SEED_LIMIT:
        sys.exit("demo_seeds: %s/%s would be %d bytes" % (target, name, len(data)))
    with open(os.path.join(corpus, target, name), "wb") as out:
        out.write(data)


def read(path):
    with open(path, "rb") as source:
        return source.read()


def smallest_pictures(rbp_root):
    """The smallest ".rbp" of each kind over every picture set, by size then
    name (the second entries "NAME.bmp.rbp" left out)."""
    found = {}
    for folder in sorted(os.listdir(rbp_root)):
        for name in sorted(os.listdir(os.path.join(rbp_root, folder))):
            if name.endswith(".bmp.rbp"):
                continue
            path = os.path.join(rbp_root, folder, name)
            kind = struct.unpack_from("<I", read(path), 4)[0]
            key = (os.path.getsize(path), path)
            found[kind] = min(found.get(kind, key), key)
    return {kind: path for kind, (_, path) in found.items()}


def top_rows(rbp, rows):
    """A kind-13 picture cut to its top rows, its design height scaled to match."""
    width, height, offset = struct.unpack_from("<3I", rbp, 8)
    design_height = struct.unpack_from("<h", rbp, 22)[0]
    header = bytearray(rbp[:offset])
    struct.pack_into("<I", header, 12, rows)
    struct.pack_into("<h", header, 22, design_height * rows // height)
    return bytes(header) + rbp[offset:offset + width * rows * 2]


def first_frames(movie, frames):
    """A ".rzm2" movie cut to its first frames: the header's frame count, file
    length and index length rewritten, the later entries and records dropped
    (record offsets count from the index's end, so the kept ones hold)."""
    count = struct.unpack_from("<I", movie, 8)[0]
    index_bytes = struct.unpack_from("<I", movie, 44)[0]
    frames = min(frames, count)
    entries = [struct.unpack_from("<6I", movie, 48 + 24 * n) for n in range(frames)]
    records_end = entries[-1][4] + entries[-1][1]
    kept_index = (frames + 2) * 24
    header = bytearray(movie[:48])
    struct.pack_into("<I", header, 8, frames)
    struct.pack_into("<I", header, 32, kept_index + records_end)
    struct.pack_into("<I", header, 44, kept_index)
    return bytes(header) + movie[48:kept_index] + movie[index_bytes:index_bytes + records_end]


def headless_save(bin_dir, work):
    """The save file and "system.dat" of the replay's first run, cut short
    once it has saved, in a copy of the program folder."""
    program = "novel_ce5"
    folder = make_program_folder(bin_dir, program, os.path.join(bin_dir, "data"))
    try:
        run = read_replay(os.path.join(HERE, "..", "tests", "demo", "replay.txt"))[0]
        run.inputs = [entry for entry in run.inputs if entry[0] < SAVED_BY_MS]
        script = os.path.join(work, "save.input")
        with open(script, "w", encoding="ascii") as out:
            out.write(screen_input(run, *SCREENS[program]))
        subprocess.run([os.path.join(folder, program), "--backend=headless", "--clock=virtual",
                        "--input-file=" + script, "--quit-after=%d" % SAVED_BY_MS], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        save_folder = os.path.join(folder, "data", "save")
        saves = sorted(name for name in os.listdir(save_folder) if name != "system.dat")
        if not saves or not os.path.exists(os.path.join(save_folder, "system.dat")):
            sys.exit("demo_seeds: the headless run left %s in its save folder" % (os.listdir(save_folder) or "nothing"))
        return read(os.path.join(save_folder, saves[0])), read(os.path.join(save_folder, "system.dat"))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, corpus = sys.argv[1:]
    bin_dir = os.path.join(build, "bin")
    data = os.path.join(bin_dir, "data")
    demo_work = os.path.join(build, "demo_work")
    work = tempfile.mkdtemp(prefix="demo_seeds.")
    try:
        # Archives: the scripts as the game ships them, and three pictures
        # under the second magic, raw pixels packed and JPEG records stored
        # as the demo's archives keep them.
        write_seed(corpus, "archive_reader", "demo_script.mlz", read(os.path.join(data, "script.mlz")))
        pictures = smallest_pictures(os.path.join(demo_work, "rbp"))
        archive = os.path.join(work, "pictures.mlz")
        subprocess.run([os.path.join(build, "tools", "mlz_pack"), "-3", archive, "-z", pictures[1], "-s", pictures[30],
                        pictures[32]], check=True, stdout=subprocess.DEVNULL)
        write_seed(corpus, "archive_reader", "demo_pictures.mlz", read(archive))

        # Scripts in code page 932 with CR LF: the story and a recollection.
        scripts = os.path.join(demo_work, "scripts")
        write_seed(corpus, "script", "demo_main.txt", read(os.path.join(scripts, "main.txt")))
        write_seed(corpus, "script", "demo_recollection.txt", read(os.path.join(scripts, "EVM021.txt")))

        # Pictures: ".rbp" files, mode byte 0.
        for kind in (1, 13, 30, 32):
            rbp = read(pictures[kind])
            if kind == 13:
                rbp = top_rows(rbp, RGB565_ROWS)
            write_seed(corpus, "picture", "demo_kind%d.rbp" % kind, b"\0" + rbp)

        # Sounds: a voice line (Ogg, mode 1) and the story movie's MP3 track
        # (mode 0) from memory; the voice again as the Layer II track of a
        # system stream, which the converter reads.
        voices = os.path.join(demo_work, "sounds", "voice")
        voice = os.path.join(voices, sorted(name for name in os.listdir(voices) if name.startswith("va_"))[0])
        write_seed(corpus, "sound_stream", "demo_voice_ogg", b"\x01" + read(voice))
        write_seed(corpus, "sound_stream", "demo_track_mp3", b"\x00" + read(os.path.join(data, "star_movie.mp3")))
        stream = os.path.join(work, "voice.mpg")
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-i", voice, "-c:a", "mp2",
                        "-b:a", "64k", "-f", "mpeg", stream], check=True)
        write_seed(corpus, "audio_decoder", "demo_voice_mode0.mpg", b"\x00" + read(stream))

        # The opening movie's first frames.
        movie = read(os.path.join(data, "sorabel_OP.rzm2"))
        write_seed(corpus, "movie", "demo_opening.rzm2", first_frames(movie, MOVIE_FRAMES))

        save, system = headless_save(bin_dir, work)
        write_seed(corpus, "save_file", "demo_save.dat", save)
        write_seed(corpus, "system_data", "demo_system.dat", system)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
