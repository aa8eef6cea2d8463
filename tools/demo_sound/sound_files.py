"""16-bit PCM WAV files and their encoding by lame and oggenc, reproducibly."""
import array
import subprocess
import sys
import wave
import zlib

PEAK = 0.7  # of full scale, after normalising


def write_wav(path, channels, rate):
    """Normalises the float channels to PEAK and writes them interleaved."""
    peak = max((abs(s) for channel in channels for s in channel), default=0.0)
    scale = PEAK * 32767 / peak if peak > 0 else 0.0
    pcm = array.array("h", [0]) * (len(channels[0]) * len(channels))
    for c, channel in enumerate(channels):
        pcm[c::len(channels)] = array.array("h", (int(round(s * scale)) for s in channel))
    if sys.byteorder == "big":
        pcm.byteswap()
    with wave.open(path, "wb") as out:
        out.setnchannels(len(channels))
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(pcm.tobytes())


def ogg_serial(name):
    """A stream serial fixed by the sound's name, so output repeats exactly."""
    return zlib.crc32(name.encode("ascii")) & 0x7FFFFFFF


def encode(wav_path, out_path, name, encoding, rate, channels, title=""):
    if encoding == "ogg":
        command = ["oggenc", "--quiet", "--serial", str(ogg_serial(name)), "-q", "3", "-o", out_path, wav_path]
    else:
        command = ["lame", "--quiet", "--resample", "%g" % (rate / 1000.0), "-m", "m" if channels == 1 else "j"]
        command += ["-V", "4"] if encoding == "mp3-vbr" else ["-b", "64" if rate == 22050 else "128"]
        if title:
            command += ["--add-id3v2", "--tt", title, "--ta", "Demo game", "--tl", "Demo game music"]
        command += [wav_path, out_path]
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        raise RuntimeError("%s failed on %s: %s" % (command[0], wav_path, result.stdout.decode(errors="replace")))
