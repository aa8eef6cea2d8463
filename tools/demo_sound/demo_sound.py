#!/usr/bin/env python3
"""The demo game's sound maker: music loops and effects from demo/scores/,
voices from demo/voices/, written as 16-bit PCM WAV and encoded by oggenc
(with a fixed stream serial) or lame, so two runs give the same bytes.

    tools/demo_sound/demo_sound.py --out FOLDER [--jobs N] [NAME ...]

writes FOLDER/bgm/<music>, FOLDER/se/<effect>, FOLDER/voice/<voice> (".ogg"
or ".mp3") and the WAVs they came from under FOLDER/wav/. Names select what
to make (all by default). A score named "se_..." is an effect, any other is
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


def make_score(job):
    name, scores, out = job
    score = score_notation.read_score(scores, name)
    kind = "se" if name.startswith("se_") else "bgm"
    wav = os.path.join(out, "wav", kind, name + ".wav")
    sound_files.write_wav(wav, synth.render_score(score), score.rate)
    extension = "ogg" if score.encode == "ogg" else "mp3"
    sound_files.encode(wav, os.path.join(out, kind, name + "." + extension), name, score.encode, score.rate,
                       score.channels, score.title)


def make_voice(job):
    name, (speaker, text), (pitch, pace, formants), out = job
    wav = os.path.join(out, "wav", "voice", name + ".wav")
    sound_files.write_wav(wav, [speech.speak(text, pitch, pace, formants, VOICE_RATE, name)], VOICE_RATE)
    sound_files.encode(wav, os.path.join(out, "voice", name + ".ogg"), name, "ogg", VOICE_RATE, 1)


def run_job(job):
    try:
        (make_voice if len(job) == 4 else make_score)(job)
        return None
    except (score_notation.ScoreError, RuntimeError, OSError) as error:
        return "%s: %s" % (job[0], error)


def plan_jobs(demo, out, wanted):
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
    jobs = [(name, scores, out) for name in score_names if not wanted or name in wanted]
    jobs += [(name, lines[name], speakers[lines[name][0]], out) for name in lines if not wanted or name in wanted]
    return jobs


def main():
    parser = argparse.ArgumentParser(description="Makes the demo game's music, effects and voices.")
    parser.add_argument("--out", required=True, help="output folder")
    parser.add_argument("--demo", default=DEMO, help="the demo source folder (holds scores/ and voices/)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1, help="processes to use")
    parser.add_argument("names", nargs="*", help="sounds to make (all by default)")
    args = parser.parse_args()
    try:
        jobs = plan_jobs(args.demo, args.out, set(args.names))
    except (SourceError, OSError) as error:
        sys.exit("demo_sound: %s" % error)
    for folder in ("bgm", "se", "voice", "wav/bgm", "wav/se", "wav/voice"):
        os.makedirs(os.path.join(args.out, folder), exist_ok=True)
    # the longest jobs first, so the processes finish together
    jobs.sort(key=lambda job: (len(job) == 4, job[0]))
    with multiprocessing.Pool(max(1, args.jobs)) as pool:
        failures = [failure for failure in pool.imap_unordered(run_job, jobs) if failure]
    if failures:
        sys.exit("demo_sound: " + "\ndemo_sound: ".join(sorted(failures)))


if __name__ == "__main__":
    main()
