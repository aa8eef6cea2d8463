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
mkdir -p "$corpus"/{archive_reader,profile_file,script,audio_decoder,jpeg_read}

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

# JPEG streams from libjpeg-turbo's cjpeg in the layouts a reader meets,
# each behind ten setting bytes (mode, picture layout, size, region).
python3 - "$work/colour.ppm" "$work/grey.pgm" <<'PY'
import sys
w, h = 48, 40
rgb = bytes((x * 5 + y * 3) & 255 if c == 0 else (y * 6) & 255 if c == 1 else (x * y) & 255
            for y in range(h) for x in range(w) for c in range(3))
open(sys.argv[1], "wb").write(b"P6 %d %d 255\n" % (w, h) + rgb)
open(sys.argv[2], "wb").write(b"P5 %d %d 255\n" % (w, h) + rgb[::3])
PY
jpeg_seed() {  # name settings-hex input cjpeg-options...
  local name=$1 settings=$2 input=$3
  shift 3
  { printf "$settings"; cjpeg "$@" "$input"; } >"$corpus/jpeg_read/$name.bin"
}
jpeg_seed baseline_420 '\x00\x00\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -sample 2x2,1x1,1x1
jpeg_seed baseline_422_half '\x11\x01\x17\x00\x13\x00\x00\x00\x00\x00' "$work/colour.ppm" -sample 2x1,1x1,1x1 -optimize
jpeg_seed baseline_444_restart '\x08\x02\x20\x00\x20\x00\x02\x02\x04\x04' "$work/colour.ppm" -sample 1x1,1x1,1x1 -restart 1B
jpeg_seed progressive_420 '\x10\x00\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -progressive
jpeg_seed progressive_region '\x00\x06\x10\x00\x10\x00\x03\x03\x03\x03' "$work/colour.ppm" -progressive -sample 1x1,1x1,1x1
jpeg_seed grey_quarter '\x02\x03\x0b\x00\x09\x00\x00\x00\x00\x00' "$work/grey.pgm" -grayscale
jpeg_seed packed_422 '\x00\x04\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -sample 2x1,1x1,1x1
jpeg_seed odd_411_eighth '\x13\x00\x05\x00\x05\x00\x00\x00\x00\x00' "$work/colour.ppm" -sample 4x1,1x1,1x1
jpeg_seed parameters_restart '\x04\x00\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -restart 2
jpeg_seed arithmetic '\x00\x00\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -arithmetic
