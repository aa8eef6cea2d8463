"""Speech-like voices: a pulse train through three vowel formants, a syllable
per kana, with consonants as noise bursts, closures and nasal murmurs.

Pitch falls gently over a phrase (and rises on a question mark); the speaker
sets pitch, pace (kana a second) and a formant scale.
"""
import math
import random
import zlib

# F1, F2, F3 (Hz) of the five vowels, and of the nasal murmur "N"
FORMANTS = {"a": (800, 1250, 2600), "i": (300, 2300, 3000), "u": (350, 1400, 2400),
            "e": (480, 1950, 2600), "o": (500, 850, 2500), "N": (260, 1100, 2500)}
BANDWIDTHS = (80, 110, 160)

ROWS = {"": "あいうえお", "k": "かきくけこ", "g": "がぎぐげご", "s": "さしすせそ", "z": "ざじずぜぞ",
        "t": "たちつてと", "d": "だぢづでど", "n": "なにぬねの", "h": "はひふへほ", "b": "ばびぶべぼ",
        "p": "ぱぴぷぺぽ", "m": "まみむめも", "y": "や\0ゆ\0よ", "r": "らりるれろ", "w": "わ\0\0\0を"}
KANA = {kana: (consonant, "aiueo"[i]) for consonant, row in ROWS.items() for i, kana in enumerate(row)
        if kana != "\0"}
KANA.update({"し": ("sh", "i"), "ち": ("ch", "i"), "つ": ("ts", "u"), "ふ": ("f", "u"), "じ": ("j", "i"),
             "ぢ": ("j", "i"), "づ": ("z", "u"), "を": ("", "o"), "ゔ": ("b", "u")})
SMALL_VOWELS = dict(zip("ぁぃぅぇぉ", "aiueo"))
SMALL_Y = dict(zip("ゃゅょ", "auo"))
PAUSES = {"、": 0.6, "，": 0.6, "。": 1.2, "！": 1.0, "？": 1.0, "…": 1.5, " ": 0.4, "\u3000": 0.4}

# noise centre (Hz) and share of the syllable of each consonant; voiced ones keep the pulse train
NOISE = {"k": (2500, 0.18), "g": (2000, 0.12), "s": (6000, 0.3), "sh": (3500, 0.3), "z": (5000, 0.22),
         "j": (3000, 0.22), "t": (4000, 0.15), "ch": (3800, 0.25), "ts": (5000, 0.25), "d": (3500, 0.1),
         "h": (1500, 0.22), "f": (1200, 0.22), "b": (900, 0.08), "p": (900, 0.14)}
VOICED = set("gzjdbmnrwy")
CLOSURE = set("kgtdbp") | {"ch", "ts"}


class SpeechError(Exception):
    pass


def to_hiragana(text):
    return "".join(chr(ord(c) - 0x60) if "ァ" <= c <= "ヶ" else c for c in text)


def syllables(text):
    """[consonant, vowel ("N" a nasal, "" silence), length in kana] for each unit of a kana text."""
    units = []
    for c in to_hiragana(text):
        if c in KANA:
            units.append([KANA[c][0], KANA[c][1], 1.0])
        elif c in SMALL_Y and units and units[-1][0] not in ("", "y"):
            units[-1][0] += "y" if units[-1][0] not in ("sh", "ch", "j") else ""
            units[-1][1] = SMALL_Y[c]
        elif c in SMALL_VOWELS and units:
            units[-1][1] = SMALL_VOWELS[c]
        elif c == "ー" and units and units[-1][1] in FORMANTS:
            units.append(["", units[-1][1], 1.0])
        elif c == "ん":
            units.append(["", "N", 1.0])
        elif c == "っ":
            units.append(["", "", 1.0])
        elif c in PAUSES:
            units.append(["", "", PAUSES[c]])
        else:
            raise SpeechError("'%s' is not kana or a pause mark" % c)
    if not any(unit[1] for unit in units):
        raise SpeechError("the text has no syllable")
    return units


class Resonator:
    """A two-pole band-pass whose frequency may change between blocks."""

    def __init__(self, rate):
        self.rate, self.y1, self.y2 = rate, 0.0, 0.0
        self.tune(1000, 100)

    def tune(self, frequency, bandwidth):
        r = math.exp(-math.pi * bandwidth / self.rate)
        self.a1, self.a2, self.gain = 2 * r * math.cos(2 * math.pi * frequency / self.rate), -r * r, 1 - r

    def run(self, block):
        a1, a2, gain, y1, y2 = self.a1, self.a2, self.gain, self.y1, self.y2
        out = []
        for x in block:
            y = gain * x + a1 * y1 + a2 * y2
            y2, y1 = y1, y
            out.append(y)
        self.y1, self.y2 = y1, y2
        return out


BLOCK = 64


def speak(text, pitch, pace, formant_scale, rate, seed_name):
    """Samples (floats) of the text spoken at `pitch` Hz and `pace` kana a second."""
    units = syllables(text)
    noise = random.Random(zlib.crc32(seed_name.encode("utf-8")))
    # per block: voiced amplitude, noise amplitude, noise centre, formant targets
    plan = []
    vowel = "a"
    for consonant, target, length in units:
        count = max(1, int(length * rate / pace / BLOCK))
        if not target:
            plan += [(0.0, 0.0, 1000, FORMANTS[vowel])] * count
            continue
        centre, share = NOISE.get(consonant.rstrip("y"), (0, 0.0))
        if consonant in ("m", "n", "my", "ny"):
            centre, share = 0, 0.2
        lead = int(count * share) if consonant else 0
        closure = lead // 3 if consonant.rstrip("y") in CLOSURE else 0
        voiced_lead = 0.35 if consonant.rstrip("y") in VOICED else 0.0
        plan += [(0.0, 0.0, centre, FORMANTS[vowel])] * closure
        start = FORMANTS["N"] if consonant in ("m", "n", "my", "ny") else FORMANTS["i" if consonant.endswith("y")
                                                                                      else vowel]
        plan += [(voiced_lead, 0.5 if centre else 0.0, centre or 1000, start)] * (lead - closure)
        plan += [(1.0 if target != "N" else 0.6, 0.0, 1000, FORMANTS[target])] * (count - lead)
        vowel = target if target != "N" else vowel
    resonators = [Resonator(rate) for _ in BANDWIDTHS]
    hiss = Resonator(rate)
    tilt, phase, out = 0.0, 1.0, []
    current = list(FORMANTS["a"])
    voiced_level = noise_level = 0.0
    blocks = len(plan)
    question = to_hiragana(text).rstrip().endswith("？")
    for b, (voiced, noisy, centre, targets) in enumerate(plan):
        where = b / blocks
        f0 = pitch * (1.12 - 0.24 * where) * (1 + 0.3 * max(0.0, where - 0.8) / 0.2 if question else 1)
        current = [c + 0.35 * (t * formant_scale - c) for c, t in zip(current, targets)]
        for resonator, frequency, bandwidth in zip(resonators, current, BANDWIDTHS):
            resonator.tune(frequency, bandwidth)
        hiss.tune(centre, centre * 0.4)
        source = []
        for _ in range(BLOCK):
            voiced_level += 0.02 * (voiced - voiced_level)
            phase += f0 / rate
            pulse = 0.0
            if phase >= 1.0:
                phase -= 1.0
                pulse = 1.0
            tilt = 0.9 * tilt + pulse  # softens the pulse's upper harmonics
            source.append(voiced_level * tilt)
        mixed = [0.0] * BLOCK
        for resonator in resonators:
            mixed = [m + v for m, v in zip(mixed, resonator.run(source))]
        noise_level += 0.5 * (noisy - noise_level)
        if noise_level > 1e-4:
            burst = hiss.run([noise_level * (noise.random() - 0.5) for _ in range(BLOCK)])
            mixed = [m + 6 * n for m, n in zip(mixed, burst)]
        out += mixed
    return out
