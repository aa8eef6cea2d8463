"""A run's sound capture as a level profile: dBFS per 250 ms, followed within
2 dB where the reference is above -50 dBFS and below -60 dBFS where it is
silent."""

import array
import math
import sys
import wave

LEVEL_WINDOW_MS = 250
LEVEL_TOLERANCE_DB = 2.0
LOUD_DB = -50.0             # the profile is followed above this level
SILENT_DB = -60.0           # and must stay below this one where silent
LENGTH_TOLERANCE_MS = 100   # the capture's length against the run's


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
