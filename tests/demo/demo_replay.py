#!/usr/bin/python3
"""Plays the demo game's replay headless and checks its pictures and sound.

The replay (replay.txt beside this file) is written once in design points
(800 x 600); each build gets its points by the engine's own conversion. The
runs share one program folder: copies of the program, its plug-ins and the
data folder, an empty save folder and no "pelmo.cfg", so the settings and
"system.dat" one run leaves are what the next one starts with.

    demo_replay.py --bin BIN --program novel_ce5 --out DIR [--rewrite]

Screenshots are compared with tests/demo/reference/<set>/<name>.png, the
sound of each run with <set>/run<N>.levels. --rewrite writes the references
from this run instead. A failed comparison leaves the picture and a
difference picture in DIR. The frame costs over all runs are printed.
"""

import argparse
import array
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import wave

import cairo

HERE = os.path.dirname(os.path.abspath(__file__))
DESIGN_WIDTH = 800
DESIGN_HEIGHT = 600
# The screen each program draws (the landscape view of display memory).
SCREENS = {"novel_ce5": (640, 480), "novel_ce4": (640, 480), "novel_ce3": (320, 240)}
PLUG_INS = ("Kestrine.ovl", "Tamberwick.ovl")
POINTER_ACTIONS = ("tap", "down", "up", "move")

STILL_LEVELS = 2            # a still screen's pixels may differ by this much...
STILL_SHARE = 0.001         # ...and by more in at most this share of pixels
MOVIE_PSNR_DB = 35.0
LEVEL_WINDOW_MS = 250
LEVEL_TOLERANCE_DB = 2.0
LOUD_DB = -50.0             # the profile is followed above this level
SILENT_DB = -60.0           # and must stay below this one where silent
LENGTH_TOLERANCE_MS = 100
FRAME_PERIOD_MS = 16


# A run that leaves by the title's exit gets the close box this much later,
# so a missed exit still ends.
EXIT_GRACE_MS = 5000


class Run:
    def __init__(self, number, end, ending):
        self.number = number
        self.end = end          # ms: the close box, or the title's exit chosen
        self.ending = ending    # "close" or "exit"
        self.inputs = []        # (time, action, args)
        self.shots = []         # (time, name, is_movie)


def read_replay(path):
    runs = []
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            where = "%s:%d" % (path, number)
            if words[0] == "run":
                if len(words) != 4 or words[2] not in ("close", "exit"):
                    sys.exit("%s: expected 'run N close|exit END_MS'" % where)
                runs.append(Run(int(words[1]), int(words[3]), words[2]))
                continue
            if not runs:
                sys.exit("%s: an entry before the first run" % where)
            time, action, args = int(words[0]), words[1], words[2:]
            if action == "shot":
                if len(args) not in (1, 2) or (len(args) == 2 and args[1] != "movie"):
                    sys.exit("%s: expected 'TIME shot NAME [movie]'" % where)
                runs[-1].shots.append((time, args[0], len(args) == 2))
            else:
                if action in POINTER_ACTIONS and len(args) != 2:
                    sys.exit("%s: expected 'TIME %s X Y'" % (where, action))
                runs[-1].inputs.append((time, action, args))
    return runs


def screen_input(run, width, height):
    """The run's input script for one screen: design points converted as the
    engine converts them (multiply first, truncate)."""
    lines = []
    for time, action, args in run.inputs:
        if action in POINTER_ACTIONS:
            args = [str(int(args[0]) * width // DESIGN_WIDTH), str(int(args[1]) * height // DESIGN_HEIGHT)]
        lines.append(" ".join([str(time), action] + args))
    return "\n".join(lines) + "\n"


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


def run_program(folder, program, run, width, height, work):
    script = os.path.join(work, "run%d.input" % run.number)
    with open(script, "w", encoding="ascii") as out:
        out.write(screen_input(run, width, height))
    shots = ";".join("%d:%s" % (time, os.path.join(work, name + ".png")) for time, name, _ in run.shots)
    capture = os.path.join(work, "run%d.wav" % run.number)
    costs = os.path.join(work, "run%d.costs" % run.number)
    quit_after = run.end if run.ending == "close" else run.end + EXIT_GRACE_MS
    command = [os.path.join(folder, program), "--backend=headless", "--clock=virtual", "--input-file=" + script,
               "--quit-after=%d" % quit_after, "--audio-capture=" + capture, "--frame-costs=" + costs]
    if shots:
        command.append("--screenshot=" + shots)
    result = subprocess.run(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors="replace")
    if result.stdout.strip():
        print(result.stdout.rstrip())
    if result.returncode != 0:
        print("run %d: %s exited with %d" % (run.number, program, result.returncode))
        return None
    return capture, costs


def load_pixels(path):
    surface = cairo.ImageSurface.create_from_png(path)
    surface.flush()
    stride = surface.get_stride()
    width, height = surface.get_width(), surface.get_height()
    data = bytes(surface.get_data())
    # Rows without their padding; cairo keeps B, G, R, A per pixel here.
    rows = b"".join(data[y * stride:y * stride + width * 4] for y in range(height))
    return width, height, rows


def write_difference(got, want, path):
    """A picture of where two screens differ: each channel's difference,
    brightened four times so small ones show."""
    width, height, a = got
    _, _, b = want
    pixels = bytearray(len(a))
    for i in range(0, len(a), 4):
        pixels[i] = min(255, 4 * abs(a[i] - b[i]))
        pixels[i + 1] = min(255, 4 * abs(a[i + 1] - b[i + 1]))
        pixels[i + 2] = min(255, 4 * abs(a[i + 2] - b[i + 2]))
        pixels[i + 3] = 255
    surface = cairo.ImageSurface.create_for_data(pixels, cairo.FORMAT_ARGB32, width, height, width * 4)
    surface.write_to_png(path)


def compare_picture(got_path, want_path, is_movie):
    """None when the pictures match, else why not."""
    got, want = load_pixels(got_path), load_pixels(want_path)
    if got[:2] != want[:2]:
        return "size %dx%d, reference %dx%d" % (got[0], got[1], want[0], want[1])
    if got[2] == want[2]:
        return None
    a, b = got[2], want[2]
    if is_movie:
        squares = sum((a[i + c] - b[i + c]) ** 2 for i in range(0, len(a), 4) for c in range(3))
        mse = squares / (len(a) // 4 * 3)
        psnr = 10 * math.log10(255 * 255 / mse)
        return None if psnr >= MOVIE_PSNR_DB else "PSNR %.1f dB under %.0f dB" % (psnr, MOVIE_PSNR_DB)
    differing = 0
    for i in range(0, len(a), 4):
        if (abs(a[i] - b[i]) > STILL_LEVELS or abs(a[i + 1] - b[i + 1]) > STILL_LEVELS
                or abs(a[i + 2] - b[i + 2]) > STILL_LEVELS):
            differing += 1
    share = differing / (len(a) // 4)
    if share <= STILL_SHARE:
        return None
    return "%d pixels (%.3f%%) differ by more than %d levels" % (differing, 100 * share, STILL_LEVELS)


def level_profile(wav_path):
    """dBFS of each 250 ms window of the capture, and its length in ms."""
    with wave.open(wav_path, "rb") as capture:
        if capture.getsampwidth() != 2 or sys.byteorder != "little":
            sys.exit("%s: expected 16-bit samples read on a little-endian host" % wav_path)
        rate, frames = capture.getframerate(), capture.getnframes()
        window = rate * LEVEL_WINDOW_MS // 1000
        levels = []
        while True:
            chunk = capture.readframes(window)
            if not chunk:
                break
            samples = array.array("h", chunk)
            mean_square = sum(sample * sample for sample in samples) / len(samples)
            levels.append(10 * math.log10(mean_square / (32768 * 32768)) if mean_square > 0 else -120.0)
    return levels, frames * 1000 / rate


def read_levels(path):
    with open(path, encoding="ascii") as source:
        return [float(line) for line in source if line.strip()]


def write_levels(path, levels):
    with open(path, "w", encoding="ascii") as out:
        out.writelines("%.1f\n" % level for level in levels)


def compare_levels(got, want):
    """Why the profile fails, or None."""
    faults = []
    if len(got) != len(want):
        faults.append("%d windows, reference %d" % (len(got), len(want)))
    for index, (level, reference) in enumerate(zip(got, want)):
        at = index * LEVEL_WINDOW_MS
        if reference > LOUD_DB and abs(level - reference) > LEVEL_TOLERANCE_DB:
            faults.append("%d ms: %.1f dBFS, reference %.1f" % (at, level, reference))
        elif reference < SILENT_DB and level >= SILENT_DB:
            faults.append("%d ms: %.1f dBFS where silent" % (at, level))
    return faults


def virtual_length(costs_path):
    """The run's last instant on the program clock: its last frame-costs line."""
    last = 0
    with open(costs_path, encoding="ascii") as source:
        for line in source:
            last = int(line.split()[0])
    return last


def frame_costs(paths):
    """The work of each frame period in ms of real time: the dearest instant
    of virtual time in each 16 ms, since a frame's work all happens at one."""
    periods = {}
    for path in paths:
        with open(path, encoding="ascii") as source:
            for line in source:
                virtual_ms, real_us = (int(word) for word in line.split())
                key = (path, virtual_ms // FRAME_PERIOD_MS)
                periods[key] = max(periods.get(key, 0), real_us)
    return sorted(cost / 1000 for cost in periods.values())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", required=True, help="the folder of the programs, plug-ins and data")
    parser.add_argument("--program", required=True, choices=sorted(SCREENS))
    parser.add_argument("--out", required=True, help="the test's output folder")
    parser.add_argument("--replay", default=os.path.join(HERE, "replay.txt"))
    parser.add_argument("--reference", default=os.path.join(HERE, "reference"))
    parser.add_argument("--rewrite", action="store_true", help="write the references from this run")
    args = parser.parse_args()

    width, height = SCREENS[args.program]
    picture_set = "%dx%d" % (width, height)
    references = os.path.join(args.reference, picture_set)
    runs = read_replay(args.replay)
    work = os.path.join(os.path.abspath(args.out), picture_set)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    if args.rewrite:
        shutil.rmtree(references, ignore_errors=True)
        os.makedirs(references)

    folder = make_program_folder(args.bin, args.program, os.path.join(args.bin, "data"))
    failures = []
    cost_files = []
    try:
        for run in runs:
            outcome = run_program(folder, args.program, run, width, height, work)
            if outcome is None:
                failures.append("run %d did not finish" % run.number)
                continue
            capture, costs = outcome
            cost_files.append(costs)
            reached = []
            for _, name, is_movie in run.shots:
                got = os.path.join(work, name + ".png")
                want = os.path.join(references, name + ".png")
                if not os.path.exists(got):
                    failures.append("%s: no screenshot" % name)
                    continue
                if args.rewrite:
                    shutil.copyfile(got, want)
                    reached.append(name)
                    continue
                why = compare_picture(got, want, is_movie) if os.path.exists(want) else "no reference " + want
                if why is None:
                    os.remove(got)
                    reached.append(name)
                    continue
                if os.path.exists(want):
                    write_difference(load_pixels(got), load_pixels(want), os.path.join(work, name + ".diff.png"))
                failures.append("%s: %s (see %s)" % (name, why, got))
            print("run %d reached: %s" % (run.number, " ".join(reached) or "-"))

            played_ms = virtual_length(costs)
            if run.ending == "exit" and played_ms >= run.end + EXIT_GRACE_MS:
                failures.append("run %d did not leave by the title's exit" % run.number)
            levels, length_ms = level_profile(capture)
            loud = sum(1 for level in levels if level > LOUD_DB)
            print("run %d sound: %.0f ms captured for %d ms played, %d of %d windows above %.0f dBFS, loudest %.1f dBFS"
                  % (run.number, length_ms, played_ms, loud, len(levels), LOUD_DB, max(levels, default=-120.0)))
            if abs(length_ms - played_ms) > LENGTH_TOLERANCE_MS:
                failures.append("run %d: %.0f ms of sound captured for %d ms" % (run.number, length_ms, played_ms))
            profile = os.path.join(references, "run%d.levels" % run.number)
            if args.rewrite:
                write_levels(profile, levels)
            elif not os.path.exists(profile):
                failures.append("run %d: no reference %s" % (run.number, profile))
            else:
                faults = compare_levels(levels, read_levels(profile))
                failures.extend("run %d sound: %s" % (run.number, fault) for fault in faults[:10])
                if len(faults) > 10:
                    failures.append("run %d sound: %d more windows" % (run.number, len(faults) - 10))
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    costs = frame_costs(cost_files)
    if costs:
        p99 = costs[min(len(costs) - 1, int(len(costs) * 0.99))]
        print("frame cost over %d frames: median %.3f ms, mean %.3f ms, 99th percentile %.2f ms, worst %.2f ms"
              " (period %d ms)" % (len(costs), statistics.median(costs), statistics.mean(costs), p99, costs[-1],
                                   FRAME_PERIOD_MS))
    for failure in failures:
        print("FAIL " + failure)
    if args.rewrite:
        print("references written to " + references)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
