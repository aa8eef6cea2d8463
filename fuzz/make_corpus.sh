#!/usr/bin/env bash
# Makes the seed corpora of fuzz/corpus/<target>/ from the project's own tools
# and test fixtures (and ffmpeg for the system streams). Inputs that once
# found a fault (the *_fault_* files) are written here too and never removed.
#   fuzz/make_corpus.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
corpus=$root/fuzz/corpus
data=$root/tests/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus"/{archive_reader,profile_file,script,audio_decoder,system_data}

# ".mlz" archives of both versions, stored and packed, packed by the packer.
printf '[start]\r\n<BgSet bg01>\r\nhello hello hello hello\r\n<KW>\r\n' >"$work/main.txt"
head -c 3000 "$data/layer2/sine_stereo_44k.mp2" >"$work/sound.bin"
"$build/tools/mlz_pack" -2 "$corpus/archive_reader/packed_v2.mlz" -z "$work/main.txt" "$work/sound.bin" >/dev/null
"$build/tools/mlz_pack" -3 "$corpus/archive_reader/mixed_v3.mlz" -z "$work/main.txt" -s "$work/sound.bin" >/dev/null
# An entry claiming 4 GiB, packed and unpacked: once allocated before its
# bounds were checked.
python3 - "$corpus/archive_reader/f1_fault_huge_entry.mlz" <<'PY'
import struct, sys
entry = b"big.txt".ljust(32, b"\0") + struct.pack("<4I", 0xFFFFFFFF, 0xFFFFFFFF, 0, 0)
open(sys.argv[1], "wb").write(b"RLZ2" + struct.pack("<I", 1) + entry + b"\0" * 4)
PY

# Settings files as the game writes them, and damaged ones.
printf '[SYSTEM]\r\nVolume=80\r\nKEY = "a b"\r\n[Sound]\r\nFont=\r\n' >"$corpus/profile_file/settings.ini"
printf 'a=1\n[system\nVolume==-12x\n[]\n=\n["q]\nKEY="unterminated\n' >"$corpus/profile_file/damaged.ini"

# Scripts: every flow command, text and waits; and a loop without a waiting
# tag that jumps to the loaded script (once froze the game).
printf '[start]\r\n<Mov a,1><Inc a><Rnd b,1,6>\r\n<If next,a==2>\r\n<BgSet bg01>\r\n[next]\r\n// comment\r\nhello<CR>world<KW>\r\n<TW 100><TW200>\r\n<JumpR start,main.txt>\r\n<Return>\r\n<TitleReturn MENU>\r\n' \
  >"$corpus/script/flow.txt"
printf '<WinFrame 1>\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd<KW><SltAdd one,a><SltAdd two,b><SltRun>[a][b]<Effect 1,500><UpDate 1,100>\r\n<ChrSet chara01,2><ChrMove 1,2,3,100><Unknown>' \
  >"$corpus/script/tags.txt"
printf '[L]<Mov x,1>\r\n<Jump M,main.txt>\r\n[M]<Ifs main.txt,L,x==1>\r\n' >"$corpus/script/f2_fault_self_jump_loop.txt"

# System streams: mode byte, then the stream.
ffmpeg -hide_banner -loglevel error -y -i "$data/layer2/sine_stereo_44k.mp2" -c copy -f mpeg "$work/sine.mpg"
ffmpeg -hide_banner -loglevel error -y -i "$data/layer2/sine_mono_44k.mp2" -c copy -f mpeg "$work/mono.mpg"
for mode in 0 1 2; do
  { printf "\\x0$mode"; cat "$work/sine.mpg"; } >"$corpus/audio_decoder/sine_mode$mode.mpg"
done
{ printf '\x01'; cat "$work/mono.mpg"; } >"$corpus/audio_decoder/mono_mode1.mpg"
{ printf '\x02'; cat "$data/layer2/two_audio_streams.mpg"; } >"$corpus/audio_decoder/two_streams_mode2.mpg"
# The first audio frame past the first 128 KiB the decoder buffers: once gave
# a WAVE image of 0 channels and 0 Hz.
python3 - "$corpus/audio_decoder/f3_fault_late_first_frame.mpg" "$data/layer2/sine_joint_32k.mp2" <<'PY'
import struct, sys
payload = b"\0" * 140000 + open(sys.argv[2], "rb").read()[:1500]
out = bytearray(b"\0")  # mode 0
for at in range(0, len(payload), 2000):
    chunk = payload[at:at + 2000]
    out += b"\x00\x00\x01\xba\x21\x00\x01\x00\x01\x80\x00\x01"
    out += b"\x00\x00\x01\xc0" + struct.pack(">H", len(chunk) + 1) + b"\x0f" + chunk
out += b"\x00\x00\x01\xb9"
open(sys.argv[1], "wb").write(out)
PY

# "system.dat" images: globals, both seen-lists and read marks; and one whose
# stored set claims more positions than a set holds.
python3 - "$corpus/system_data" <<'PY'
import os, struct, sys
def word(v): return struct.pack("<I", v & 0xFFFFFFFF)
def block(names): body = b"".join(n + b"\0" for n in names); return word(len(names)) + word(len(body)) + body
def sets(items):
    body = b"".join(n + b"\0" + word(len(p)) + b"".join(word(x) for x in p) for n, p in items)
    return word(len(items)) + word(len(body)) + body
globals_ = word(2) + b"g_cleared\0" + word(5) + b"g_route\0" + word(-1)
image = b"STS0" + globals_ + block([b"bg01", b"chr_a"]) + block([b"main.txt"]) + sets([(b"main.txt", [120, 300])])
open(os.path.join(sys.argv[1], "small.dat"), "wb").write(image)
big = b"STS0" + word(0) + block([]) + block([]) + sets([(b"long.txt", list(range(1030)))])
open(os.path.join(sys.argv[1], "long_set.dat"), "wb").write(big)
PY
