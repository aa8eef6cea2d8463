"""Music from a score: additive and FM tones with envelopes, wavetable based.

Every note is rendered once per (instrument, pitch, length) and reused, which
keeps pure Python fast enough for the data build. Notes ring past their end
into the start of the loop, so the loop joins without a gap.
"""
import itertools
import math
import operator

TABLE_BITS = 12
TABLE_SIZE = 1 << TABLE_BITS
TABLE_MASK = TABLE_SIZE - 1


SINE = [math.sin(2 * math.pi * i / TABLE_SIZE) for i in range(TABLE_SIZE)]


def harmonic_table(weights):
    total = sum(weights)
    return [sum(w * SINE[(h + 1) * i & TABLE_MASK] for h, w in enumerate(weights)) / total for i in range(TABLE_SIZE)]


# harmonic weights; attack, release (s); sustain level and decay time constant (s)
SHAPES = {
    "organ": ([1.0, 0.5, 0.3, 0.15], 0.02, 0.08, 0.8, 0.1),
    "flute": ([1.0, 0.15, 0.05], 0.06, 0.1, 0.9, 0.2),
    "pluck": ([1.0, 0.6, 0.4, 0.25, 0.15, 0.1], 0.005, 0.05, 0.0, 0.35),
    "pad": ([1.0, 0.3, 0.2, 0.1], 0.3, 0.4, 0.7, 0.5),
    "bass": ([1.0, 0.4, 0.1], 0.01, 0.05, 0.6, 0.2),
    "bell": ([1.0], 0.003, 0.3, 0.0, 0.8),
}
TABLES = {name: harmonic_table(shape[0]) for name, shape in SHAPES.items()}
BELL_RATIO, BELL_INDEX_START, BELL_INDEX_END = 3.5, 4.0, 0.5


def envelope(instrument, held, rate):
    """Amplitudes for a note held for `held` samples, its release included."""
    _, attack, release, sustain, decay = SHAPES[instrument]
    attack_n, release_n = max(1, int(attack * rate)), max(1, int(release * rate))
    step = math.exp(-1.0 / (decay * rate))
    levels = itertools.accumulate(itertools.repeat(step, held - 1), operator.mul, initial=1.0)
    out = [sustain + (1.0 - sustain) * level for level in levels] if held > 0 else []
    out[:attack_n] = [i / attack_n * e for i, e in enumerate(out[:attack_n])]
    end = out[-1] if out else 0.0
    out.extend(end * (1.0 - i / release_n) for i in range(release_n))
    return out


def phases(step, count):
    """Table positions of an oscillator advancing `step` entries a sample."""
    return itertools.accumulate(itertools.repeat(step, count - 1), initial=0.0)


def lookup(table, positions):
    return map(table.__getitem__, map(operator.and_, map(int, positions), itertools.repeat(TABLE_MASK)))


def note_samples(instrument, midi, held, rate):
    frequency = 440.0 * 2 ** ((midi - 69) / 12.0)
    env = envelope(instrument, held, rate)
    count = len(env)
    step = frequency * TABLE_SIZE / rate
    if instrument == "bell":  # FM: a sine modulating the carrier's phase with a falling index
        index_start = BELL_INDEX_START * TABLE_SIZE / (2 * math.pi)
        fall = (BELL_INDEX_END / BELL_INDEX_START) ** (1.0 / count)
        index = itertools.accumulate(itertools.repeat(fall, count - 1), operator.mul, initial=index_start)
        modulation = map(operator.mul, lookup(SINE, phases(step * BELL_RATIO, count)), index)
        wave = lookup(SINE, map(operator.add, phases(step, count), modulation))
    elif instrument == "pad":  # two slightly detuned oscillators
        table = TABLES[instrument]
        wave = map(operator.add, lookup(table, phases(step, count)), lookup(table, phases(step * 1.004, count)))
        wave = map(operator.mul, wave, itertools.repeat(0.5))
    else:
        wave = lookup(TABLES[instrument], phases(step, count))
    return list(map(operator.mul, env, wave))


def render_voice(score, voice, total, cache):
    """One voice's samples over the loop of `total` samples, repeating its notes."""
    out = [0.0] * total
    seconds_per_beat = 60.0 / score.tempo
    beat, index = 0, 0
    while True:
        start = int(round(float(beat) * seconds_per_beat * score.rate))
        if start >= total:
            return out
        midi_list, beats = voice.notes[index]
        beat += beats
        index = (index + 1) % len(voice.notes)
        held = int(round(float(beat) * seconds_per_beat * score.rate)) - start
        for midi in midi_list:
            key = (voice.instrument, midi + score.transpose, held, voice.level)
            if key not in cache:
                samples = note_samples(voice.instrument, midi + score.transpose, held, score.rate)
                cache[key] = list(map(operator.mul, samples, itertools.repeat(voice.level)))
            add_wrapped(out, cache[key], start)


def add_wrapped(out, samples, start):
    total = len(out)
    position = 0
    while position < len(samples):
        at = (start + position) % total
        count = min(total - at, len(samples) - position)
        out[at:at + count] = map(operator.add, out[at:at + count], samples[position:position + count])
        position += count


def render_score(score):
    """The score's samples as floats: one list per channel."""
    total = int(round(score.seconds * score.rate))
    cache = {}
    channels = [[0.0] * total for _ in range(score.channels)]
    for voice in score.voices.values():
        if not voice.notes:
            continue
        samples = render_voice(score, voice, total, cache)
        gains = [1.0] if score.channels == 1 else [math.cos(voice.pan * math.pi / 2),
                                                   math.sin(voice.pan * math.pi / 2)]
        for channel, gain in zip(channels, gains):
            channel[:] = map(operator.add, channel, map(operator.mul, samples, itertools.repeat(gain)))
    return channels
