#!/usr/bin/env python3
"""The demo game's sound maker: music loops and effects from demo/scores/,
voices from demo/voices/, written as 16-bit PCM WAV and encoded by oggenc
(with a fixed stream serial) or lame, so two runs give the same bytes.

    tools/demo_sound/demo_sound.py --out FOLDER [--jobs N] [NAME ...]
    tools/demo_sound/demo_sound.py --list [NAME ...]

writes FOLDER/bgm/<music>, FOLDER/se/<effect>, FOLDER/voice/<voice> (".ogg"
or ".mp3") and the WAVs they came from under FOLDER/wav/. Names select what
to make (all by default). --list checks every source and prints what would be
made, one "<file> <rate> <channels> <encoding>" line each. A score named "se_..." is an effect, any other is
music. Exit status 1 with a message on any bad source.
"""
import argparse
import multiprocessing
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import score as score_notation  # noqa: E402
import sound_files  # noqa: E402
import speech  # noqa: E402
import synth  # noqa: E402

DEMO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo")
VOICE_NAME_LIMIT = 23  # the backlog keeps 24 bytes with the terminator
SOUND_NAME_LIMIT = 31  # music and effect records of 32 bytes
VOICE_RATE = 22050


class SourceError(Exception):
    pass


def read_table(path, fields):
    """Rows of a whitespace-separated table; the last field takes the rest of the line."""
    rows = []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            text = line.split("#", 1)[0].strip()
            if not text:
                continue
            row = text.split(None, fields - 1)
            if len(row) != fields:
                raise SourceError("%s:%d: needs %d fields" % (path, number, fields))
            rows.append((number, row))
    return rows


def read_speakers(path):
    speakers = {}
    for number, (name, pitch, pace, formants) in read_table(path, 4):
        try:
            speakers[name] = (float(pitch), float(pace), float(formants))
        except ValueError:
            raise SourceError("%s:%d: pitch, pace and formant scale are numbers" % (path, number)) from None
    return speakers


def read_lines(path, speakers):
    lines = {}
    for number, (name, speaker, text) in read_table(path, 3):
        where = "%s:%d" % (path, number)
        if len(name.encode("ascii", "replace")) > VOICE_NAME_LIMIT or not name.isascii():
            raise SourceError("%s: voice name '%s' is not ASCII of at most %d bytes" % (where, name, VOICE_NAME_LIMIT))
        if name in lines:
            raise SourceError("%s: voice '%s' is listed twice" % (where, name))
        if speaker not in speakers:
            raise SourceError("%s: unknown speaker '%s'" % (where, speaker))
        try:
            speech.syllables(text)
        except speech.SpeechError as error:
            raise SourceError("%s: %s" % (where, error)) from None
        lines[name] = (speaker, text)
    return lines


class Job:
    """One sound: where it goes and how it is made and encoded."""

    def __init__(self, name, kind, rate, channels, encoding, make):
        self.name, self.kind, self.rate, self.channels, self.encoding = name, kind, rate, channels, encoding
        self.make = make  # a Score, or the voice's (text, pitch, pace, formant scale)

    def file(self):
        return "%s/%s.%s" % (self.kind, self.name, "ogg" if self.encoding == "ogg" else "mp3")


def run_job(job_and_out):
    job, out = job_and_out
    try:
        wav = os.path.join(out, "wav", job.kind, job.name + ".wav")
        if job.kind == "voice":
            samples = [speech.speak(*job.make, rate=job.rate, seed_name=job.name)]
        else:
            samples = synth.render_score(job.make)
        sound_files.write_wav(wav, samples, job.rate)
        title = job.make.title if job.kind != "voice" else ""
        sound_files.encode(wav, os.path.join(out, job.file()), job.name, job.encoding, job.rate, job.channels, title)
        return None
    except (RuntimeError, OSError) as error:
        return "%s: %s" % (job.name, error)


def plan_jobs(demo, wanted):
    scores = os.path.join(demo, "scores")
    score_names = sorted(f[:-4] for f in os.listdir(scores) if f.endswith(".txt"))
    for name in score_names:
        if len(name) > SOUND_NAME_LIMIT or not name.isascii():
            raise SourceError("score name '%s' is not ASCII of at most %d bytes" % (name, SOUND_NAME_LIMIT))
    speakers = read_speakers(os.path.join(demo, "voices", "speakers.txt"))
    lines = read_lines(os.path.join(demo, "voices", "lines.txt"), speakers)
    unknown = [name for name in wanted if name not in lines and name not in score_names]
    if unknown:
        raise SourceError("no score or voice line named %s" % ", ".join(unknown))
    jobs = []
    for name in score_names:
        score = score_notation.read_score(scores, name)
        if not wanted or name in wanted:
            kind = "se" if name.startswith("se_") else "bgm"
            jobs.append(Job(name, kind, score.rate, score.channels, score.encode, score))
    for name, (speaker, text) in lines.items():
        if not wanted or name in wanted:
            jobs.append(Job(name, "voice", VOICE_RATE, 1, "ogg", (text,) + speakers[speaker]))
    return jobs


def main():
    parser = argparse.ArgumentParser(description="Makes the demo game's music, effects and voices.")
    parser.add_argument("--out", help="output folder")
    parser.add_argument("--list", action="store_true", help="check the sources and list what would be made")
    parser.add_argument("--demo", default=DEMO, help="the demo source folder (holds scores/ and voices/)")
    parser.add_argument("--jobs", type=int, default=len(os.sched_getaffinity(0)),
                        help="processes to use (default: the CPUs this process may run on)")
    parser.add_argument("names", nargs="*", help="sounds to make (all by default)")
    args = parser.parse_args()
    if not args.list and not args.out:
        parser.error("--out or --list is needed")
    try:
        jobs = plan_jobs(args.demo, set(args.names))
    except (SourceError, score_notation.ScoreError, OSError) as error:
        sys.exit("demo_sound: %s" % error)
    if args.list:
        for job in jobs:
            print(job.file(), job.rate, job.channels, job.encoding)
        return
    for folder in ("bgm", "se", "voice", "wav/bgm", "wav/se", "wav/voice"):
        os.makedirs(os.path.join(args.out, folder), exist_ok=True)
    # the longest jobs first, so the processes finish together
    jobs.sort(key=lambda job: (job.kind == "voice", -job.rate * job.channels, job.name))
    with multiprocessing.Pool(max(1, args.jobs)) as pool:
        failures = [failure for failure in pool.imap_unordered(run_job, [(job, args.out) for job in jobs]) if failure]
    if failures:
        sys.exit("demo_sound: " + "\ndemo_sound: ".join(sorted(failures)))


if __name__ == "__main__":
    main()
