"""The demo's score notation: one small text file per music loop or effect.

    # a comment (a '#' starting a word begins one)
    base 01                  start from another score, then change what follows
    tempo 96                 beats a minute
    seconds 24               the loop's length; every voice repeats its notes to fill it
    transpose 2              semitones added to every note
    rate 22050               22050 or 44100
    channels 1               1 or 2
    encode ogg               ogg, mp3 or mp3-vbr
    title Night sky          ID3 title (MP3 only; writes ID3v1 and ID3v2 tags)
    voice lead bell 0.3 0.8  name, instrument, pan (0 left .. 1 right), level
    notes lead c5:1 e5:1/2 r:1/2 c4+e4+g4:2 |   notes (name+octave, '+' for chords,
                                                 'r' a rest) with lengths in beats;
                                                 '|' marks bars and is ignored

A voice line of an inherited voice changes its sound only; the first notes line
of a voice in a file replaces what it inherited, later ones add to it.
"""
import fractions
import os

INSTRUMENTS = ("bell", "pluck", "organ", "flute", "pad", "bass")
ENCODINGS = ("ogg", "mp3", "mp3-vbr")
RATES = (22050, 44100)
SEMITONES = {"c": 0, "d": 2, "e": 4, "f": 5, "g": 7, "a": 9, "b": 11}


class ScoreError(Exception):
    pass


class Voice:
    def __init__(self, instrument, pan, level):
        self.instrument, self.pan, self.level = instrument, pan, level
        self.notes = []  # (midi numbers, empty for a rest; length in beats)


class Score:
    def __init__(self):
        self.tempo, self.seconds, self.transpose = 100, 20.0, 0
        self.rate, self.channels, self.encode, self.title = 22050, 1, "ogg", ""
        self.voices = {}  # name -> Voice, in the order they were declared


def parse_pitch(word):
    """MIDI number of a name like "c5", "f#3" or "bb4"."""
    letter, rest = word[0].lower(), word[1:]
    if letter not in SEMITONES:
        raise ScoreError("unknown note '%s'" % word)
    semitone = SEMITONES[letter]
    while rest[:1] in ("#", "b") and len(rest) > 1:
        semitone += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    if not rest.isdigit():
        raise ScoreError("note '%s' needs an octave" % word)
    return 12 * (int(rest) + 1) + semitone


def parse_note(word):
    pitches, colon, length = word.partition(":")
    if not colon:
        raise ScoreError("note '%s' needs a length (':beats')" % word)
    try:
        beats = fractions.Fraction(length)
    except (ValueError, ZeroDivisionError):
        raise ScoreError("bad length in '%s'" % word) from None
    if beats <= 0:
        raise ScoreError("length must be positive in '%s'" % word)
    midi = [] if pitches == "r" else [parse_pitch(p) for p in pitches.split("+")]
    return midi, beats


def number(text, low, high, what):
    try:
        value = float(text)
    except ValueError:
        raise ScoreError("%s '%s' is no number" % (what, text)) from None
    if not low <= value <= high:
        raise ScoreError("%s %s is outside %s..%s" % (what, text, low, high))
    return value


def read_score(folder, name, seen=()):
    """The score "<folder>/<name>.txt" with its bases applied."""
    if name in seen:
        raise ScoreError("score '%s' is its own base" % name)
    path = os.path.join(folder, name + ".txt")
    try:
        with open(path, encoding="utf-8") as source:
            lines = source.read().splitlines()
    except OSError as error:
        raise ScoreError("cannot read score '%s': %s" % (name, error.strerror)) from None
    score, replaced = Score(), set()
    for number_of_line, line in enumerate(lines, 1):
        words = line.split()
        words = words[:next((i for i, w in enumerate(words) if w.startswith("#")), len(words))]
        if not words:
            continue
        try:
            apply_line(folder, name, seen, score, replaced, words)
        except ScoreError as error:
            raise ScoreError("%s:%d: %s" % (path, number_of_line, error)) from None
    if not any(voice.notes for voice in score.voices.values()):
        raise ScoreError("%s: no notes" % path)
    return score


def apply_line(folder, name, seen, score, replaced, words):
    key, args = words[0], words[1:]
    if key == "base":
        inherited = read_score(folder, args[0], seen + (name,))
        score.__dict__.update(inherited.__dict__)
    elif key in ("tempo", "seconds", "transpose", "rate", "channels") and len(args) == 1:
        limits = {"tempo": (20, 300), "seconds": (0.1, 60), "transpose": (-24, 24), "rate": (0, 1e6),
                  "channels": (1, 2)}[key]
        value = number(args[0], limits[0], limits[1], key)
        if key == "rate" and value not in RATES:
            raise ScoreError("rate must be 22050 or 44100")
        setattr(score, key, value if key == "seconds" else int(value))
    elif key == "encode" and len(args) == 1 and args[0] in ENCODINGS:
        score.encode = args[0]
    elif key == "title" and args:
        score.title = " ".join(args)
    elif key == "voice" and len(args) == 4:
        if args[1] not in INSTRUMENTS:
            raise ScoreError("unknown instrument '%s' (one of %s)" % (args[1], ", ".join(INSTRUMENTS)))
        voice = Voice(args[1], number(args[2], 0, 1, "pan"), number(args[3], 0, 1, "level"))
        if args[0] in score.voices:
            voice.notes = score.voices[args[0]].notes
        score.voices = dict(score.voices, **{args[0]: voice})
    elif key == "notes" and args:
        if args[0] not in score.voices:
            raise ScoreError("notes for undeclared voice '%s'" % args[0])
        voice = score.voices[args[0]]
        if args[0] not in replaced:
            voice.notes = []
            replaced.add(args[0])
        voice.notes = voice.notes + [parse_note(word) for word in args[1:] if word != "|"]
    else:
        raise ScoreError("cannot read '%s'" % " ".join(words))
