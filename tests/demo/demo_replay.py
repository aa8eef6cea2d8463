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
import os
import shutil
import statistics
import subprocess
import sys

# The modules beside this one leave no byte code in the source tree.
sys.dont_write_bytecode = True
from frame_cost_figures import FRAME_PERIOD_MS, frame_costs, virtual_length  # noqa: E402
from picture_check import compare_picture, load_pixels, write_difference  # noqa: E402
from program_folder import SCREENS, make_program_folder  # noqa: E402
from replay_script import EXIT_GRACE_MS, read_replay, screen_input  # noqa: E402
from sound_check import LENGTH_TOLERANCE_MS, LOUD_DB, compare_levels, level_profile, read_levels, write_levels  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


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
