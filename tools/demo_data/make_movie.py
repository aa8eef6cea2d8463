#!/usr/bin/env python3
"""Makes one of the demo game's movies the way a game maker would: the art
program draws the frames, ffmpeg joins them with a music track into an MPEG-1
system stream (MPEG-1 video, MP2 sound), and reelpack converts that stream
into the engine's ".rzm2" and its sound track.

    make_movie.py --art "PYTHON demo_art.py" --reelpack PATH --name NAME
                  --size 320x240|640x480 --encoder ogg|mp3 [--mono] --music WAV
                  [--music-rate HZ]
                  --work DIR --out DIR

The sound is cut to the frames' length, so the track (the movie's clock)
ends with the last frame, give or take the rounding up to whole MP2 and
track frames: --music-rate picks the MP2 rate (48,000, 44,100 or 32,000 Hz)
whose rounding ends nearest. Every step is pinned for the same bytes on every
run: ffmpeg bit-exact on one thread, reelpack on one thread (the JPEG
library's processor class comes from the registry file the caller names in
NOVEL_REGISTRY_FILE).
"""
import argparse
import glob
import os
import shlex
import shutil
import subprocess
import sys

FRAMES_PER_SECOND = 30


def run(step, command):
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit("make_movie: %s failed (exit %d):\n%s" % (step, result.returncode, result.stderr.strip()[-2000:]))


def main():
    parser = argparse.ArgumentParser(description="Makes one demo movie through reelpack.")
    parser.add_argument("--art", required=True, help="the art program's command line")
    parser.add_argument("--reelpack", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--size", required=True, choices=["320x240", "640x480"])
    parser.add_argument("--encoder", required=True, choices=["ogg", "mp3"])
    parser.add_argument("--mono", action="store_true")
    parser.add_argument("--music", required=True, help="a WAV file; its start becomes the track")
    parser.add_argument("--music-rate", type=int, default=48000, choices=[48000, 44100, 32000])
    parser.add_argument("--work", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    frames_dir = os.path.join(args.work, "frames")
    shutil.rmtree(frames_dir, ignore_errors=True)
    os.makedirs(frames_dir)
    run("drawing the frames", shlex.split(args.art) + ["--movie", args.name, frames_dir])
    frames = sorted(glob.glob(os.path.join(frames_dir, "*.png")))
    if not frames:
        sys.exit("make_movie: the art program drew no frame of '%s'" % args.name)

    stream = os.path.join(args.work, args.name + ".mpg")
    seconds = "%.6f" % (len(frames) / FRAMES_PER_SECOND)
    run("ffmpeg", [
        "ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-threads", "1",
        "-framerate", str(FRAMES_PER_SECOND), "-pattern_type", "glob", "-i", os.path.join(frames_dir, "*.png"),
        "-i", args.music, "-map", "0:v", "-map", "1:a", "-t", seconds,
        "-c:v", "mpeg1video", "-q:v", "2", "-pix_fmt", "yuv420p", "-s", args.size,
        "-c:a", "mp2", "-b:a", "192k", "-ar", str(args.music_rate), "-ac", "2",
        "-threads", "1", "-bitexact", "-flags", "+bitexact", "-fflags", "+bitexact", "-f", "mpeg", stream])

    os.makedirs(args.out, exist_ok=True)
    command = [args.reelpack, "--quiet", "--threads", "1", "--size", args.size, "--frame-rate", "standard", "--quality", "85",
               "--encoder", args.encoder, "--sample-rate", "22050", "-o", args.out, stream]
    if args.mono:
        command.append("--mono")
    run("reelpack", command)


if __name__ == "__main__":
    main()
