#!/usr/bin/env python3
"""Makes the game test data folder (tests/data/game/ by default): the window
pictures as flat numbered blocks in both picture archives, short MP3 and Ogg
sounds for the music folder and the two sound archives, and the scripts.

    tools/make_game_test_data.py TOOLS_FOLDER [OUTPUT_FOLDER]

TOOLS_FOLDER holds the built rbp_make and mlz_pack (build/tools); lame and oggenc encode the
sounds. Later parts of the game add their pictures, sounds and scripts here.
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave
import zlib

# The pictures in design px (800 x 600 space) and how each is coloured.
WINDOW_PICTURES = {
    "M_frame_NVL": (800, 600),
    "M_frame_A": (800, 171),
    "M_frame_B": (800, 171),
    "M_frame_C": (800, 171),
    "M_frame_name": (368, 49),
    "WIN_PARTS": (905, 423),
    # The choice screen's base strip (0, 0, 800 x 205) and highlight (0, 238, 540 x 33).
    "SELECT_BASE": (800, 271),
    # The save/load, backlog and system screens: full-screen bases and parts
    # sheets whose source cells are numbered blocks (SCREEN_CELLS).
    "data_base_save": (800, 600),
    "data_base_load": (800, 600),
    "data_parts": (560, 417),
    "LOG_BASE": (800, 600),
    "LOG_PARTS": (40, 314),
    "sys_base": (800, 600),
    "sys_parts": (192, 367),
}
# The source cells (x, y, w, h) of the screens' parts sheets; cell k of a
# sheet is block SHEET_BLOCKS[sheet] + k, 0 outside every cell.
SCREEN_CELLS = {
    # row highlight; the ten current-page tabs; the ten tab highlights; the
    # to-save, to-load and back highlights; the newest-save marker.
    "data_parts": [(0, 0, 560, 91)] + [(40 * p, 183, 40, 49) for p in range(10)]
                  + [(40 * t, 233, 40, 49) for t in range(10)]
                  + [(104 * b, 282, 104, 56) for b in range(3)] + [(0, 394, 88, 23)],
    # four scroll-button highlights; the knob; the voice button and its lit form.
    "LOG_PARTS": [(0, 30 * k, 24, 30) for k in range(4)] + [(0, 159, 24, 98), (0, 258, 40, 28), (0, 286, 40, 28)],
    # the marker rows (21 high), the three button highlights, the knob.
    "sys_parts": [(0, 21 * s, 128, 21) for s in range(11)] + [(64 * b, 231, 64, 56) for b in range(3)]
                 + [(0, 343, 16, 24)],
}
SHEET_BLOCKS = {"data_parts": 100, "LOG_PARTS": 140, "sys_parts": 160}
# Picture archive and the screen its pictures are made for.
SCREENS = {"pict_v.mlz": (640, 480), "pict.mlz": (320, 240)}


def block_colour(number):
    """A colour of its own for every block number."""
    return ((number * 53 + 40) % 256, (number * 97 + 80) % 256, (number * 151 + 120) % 256)


def block_number(name, x, y):
    """The numbered block a design point falls in: a frame or screen base is
    one block; the window's parts sheet has a block per button highlight
    (96 x 26 from the top left), per page-end icon frame (48 x 42 from
    y 52) and per in-game menu button highlight (96 x 47 from x 575), and
    one for the in-game menu panel (from x 769); the screens' sheets a block
    per source cell."""
    if name in SCREEN_CELLS:
        for k, (cx, cy, cw, ch) in enumerate(SCREEN_CELLS[name]):
            if cx <= x < cx + cw and cy <= y < cy + ch:
                return SHEET_BLOCKS[name] + k
        return 0
    if name != "WIN_PARTS":
        return list(WINDOW_PICTURES).index(name) + 1
    if y < 26 and x < 6 * 96:
        return 10 + x // 96
    if 52 <= y < 94 and x < 7 * 48:
        return 20 + x // 48
    if 575 <= x < 671 and y < 8 * 47:
        return 30 + y // 47
    if x >= 769:
        return 40
    return 0


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        out.write(chunk(b"IEND", b""))


def make_pictures(tools_folder, work, out):
    for archive, (screen_w, screen_h) in SCREENS.items():
        files = []
        for name, (design_w, design_h) in WINDOW_PICTURES.items():
            width = design_w * screen_w // 800
            height = design_h * screen_h // 600
            png = os.path.join(work, f"{name}.png")
            write_png(png, width, height,
                      lambda x, y, n=name: block_colour(block_number(n, x * 800 // screen_w, y * 600 // screen_h)))
            rbp = os.path.join(work, archive + "_" + name, f"{name}.rbp")
            os.makedirs(os.path.dirname(rbp), exist_ok=True)
            subprocess.run([os.path.join(tools_folder, "rbp_make"), "-d", f"{design_w}x{design_h}", png, rbp],
                           check=True, stdout=subprocess.DEVNULL)
            files.append(rbp)
        subprocess.run([os.path.join(tools_folder, "mlz_pack"), "-3", os.path.join(out, archive), "-z"] + files,
                       check=True)


def write_tone(path, frequency, seconds, rate=22050):
    """A stereo sine at half scale."""
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        frames = bytearray()
        for i in range(int(rate * seconds)):
            sample = int(16000 * math.sin(2 * math.pi * frequency * i / rate))
            frames.extend(struct.pack("<hh", sample, sample))
        w.writeframes(bytes(frames))


def encode(wav, target):
    if target.endswith(".mp3"):
        subprocess.run(["lame", "--quiet", "-t", "-b", "64", wav, target], check=True)
    else:
        subprocess.run(["oggenc", "--quiet", "-q", "1", "-o", target, wav], check=True)


def make_sounds(tools_folder, work, out):
    bgm = os.path.join(out, "bgm")
    os.makedirs(bgm, exist_ok=True)
    tones = {"01.mp3": 440, "02.ogg": 550}
    for name, frequency in tones.items():
        wav = os.path.join(work, name + ".wav")
        write_tone(wav, frequency, 2.0)
        encode(wav, os.path.join(bgm, name))

    # name: (frequency, seconds)
    archives = {
        "se.mlz": {"door.mp3": (880, 1.0), "bell.ogg": (1320, 1.0)},
        "voice.mlz": {"v001.ogg": (660, 1.0), "v002.mp3": (770, 1.0)},
    }
    for number in range(1, 9):
        archives["voice.mlz"][f"logo_se{number:03d}.mp3"] = (300 + 50 * number, 0.3)
        archives["voice.mlz"][f"title_se{number:03d}.ogg"] = (350 + 50 * number, 0.3)
    for archive, sounds in archives.items():
        folder = os.path.join(work, archive + "_sounds")
        os.makedirs(folder, exist_ok=True)
        files = []
        for name, (frequency, seconds) in sounds.items():
            wav = os.path.join(work, name + ".wav")
            write_tone(wav, frequency, seconds)
            files.append(os.path.join(folder, name))
            encode(wav, files[-1])
        # Sounds are stored: packing them would not make them smaller.
        subprocess.run([os.path.join(tools_folder, "mlz_pack"), "-2", os.path.join(out, archive), "-s"] + files,
                       check=True)


def pages_script(count=40):
    """Pages of one to four lines ("/" breaks a line), the odd ones voiced,
    then a page that waits for good."""
    text = "[pages]<WinType WINDOW>\r\n<WinFrameType 2>\r\n<WinFrame 1>\r\n"
    for page in range(1, count + 1):
        if page % 2 == 1:
            text += "<SndPlay voice01,v001>" if page % 4 == 1 else "<SndPlay voice01,v002>"
        text += f"Page {page}." + "".join(f"/More {line}." for line in range(1, page % 4 + 1))
        text += "<KW>\r\n<WinClear>\r\n"
    return text + "[last]The end.<KW>\r\n<WinClear>\r\n<Jump last,pages.txt>\r\n"


SCRIPTS = {
    # Sets the window, plays music, an effect and a voice, starts a movie and
    # waits, showing the window with its page-end icon.
    "main.txt": "<WinType WINDOW>\r\n<WinFrameType 2>\r\n<WinFrame 1>\r\n<SndPlay bgm01,01,LOOP>\r\n"
                "<SndPlay se01,door>\r\n<SndPlay voice01,v001>\r\n<MoviePlay op.rzm2>\r\n"
                "[loop]\r\n<TW 100>\r\n<Jump loop,main.txt>\r\n",
    # The full-screen layout.
    "novel.txt": "<WinType NOVEL>\r\n<WinFrame 1>\r\n[loop]\r\n<TW 100>\r\n<Jump loop,novel.txt>\r\n",
    # Pages with speakers (one whose name starts with "・"), a voice, two
    # texts on one page, and choice blocks of 1 to 5 entries, with captions;
    # g_choice counts the blocks passed and g_last holds the last choice.
    "choice.txt": "<WinType WINDOW>\r\n<WinFrame 1>\r\n"
                  "【トバル】最初のページ。<KW>\r\n<WinClear>\r\n"
                  "<SndPlay voice01,v001>【・・・】声のあるページ。<KW>\r\n続きの文。<KW>\r\n<WinClear>\r\n"
                  "<SltDel><SltAdd 0,c1a,ひとつ><SltRun>\r\n[c1a]<Mov g_last,1><Inc g_choice>\r\n"
                  "<SltDel><SltAdd 0,どれにする？><SltAdd 1,c2a,はい><SltRun>\r\n[c2a]<Mov g_last,2><Inc g_choice>\r\n"
                  "<SltDel><SltAdd 0,c3a,あ><SltAdd 2,c3c,う><SltRun>\r\n"
                  "[c3a]<Mov g_last,31><Jump c4,choice.txt>\r\n[c3c]<Mov g_last,33>\r\n"
                  "[c4]<Inc g_choice><SltDel><SltAdd 0,c4a,あ><SltAdd 1,c4b,い><SltAdd 2,c4c,う><SltAdd 3,c4d,え>"
                  "<SltRun>\r\n[c4a]\r\n[c4b]\r\n[c4c]\r\n[c4d]<Inc g_choice>\r\n"
                  "<SltDel><SltAdd 0,見出し><SltAdd 1,c5b,い><SltAdd 2,c5c,う><SltAdd 3,c5d,え><SltAdd 4,c5e,お>"
                  "<SltRun>\r\n[c5b]\r\n[c5c]\r\n[c5d]\r\n[c5e]<Inc g_choice>\r\n"
                  "【トバル】終わり。<KW>\r\n[loop]\r\n<TW 100>\r\n<Jump loop,choice.txt>\r\n",
    # Forty pages for the backlog screen.
    "pages.txt": pages_script(),
}


def make_scripts(tools_folder, work, out):
    folder = os.path.join(work, "scripts")
    os.makedirs(folder, exist_ok=True)
    files = []
    for name, text in SCRIPTS.items():
        files.append(os.path.join(folder, name))
        with open(files[-1], "w", newline="", encoding="cp932") as f:
            f.write(text)
    subprocess.run([os.path.join(tools_folder, "mlz_pack"), "-2", os.path.join(out, "script.mlz"), "-z"] + files,
                   check=True)


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    tools_folder = sys.argv[1]
    out = sys.argv[2] if len(sys.argv) == 3 else os.path.join(os.path.dirname(__file__), "..", "tests", "data",
                                                               "game")
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp()
    try:
        make_pictures(tools_folder, work, out)
        make_sounds(tools_folder, work, out)
        make_scripts(tools_folder, work, out)
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
