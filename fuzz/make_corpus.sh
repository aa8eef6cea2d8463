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
mkdir -p "$corpus"/{archive_reader,profile_file,script,audio_decoder,movie,mpeg_video,picture,mpeg_stream,layer2_frames,jpeg_write,sound_stream,system_data,jpeg_read,save_file,conversion_job,menu_icon}

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

# Movies: both versions of the container around two 32 x 32 frame records
# (as the engine's movie tests write them), and broken ones: a record larger
# than a read-ahead buffer, a cut file, an absurd frame count, a time base of
# 0, a record the decoder refuses and a size over the decoder's limit.
python3 - "$corpus/movie" <<'PY'
import struct, sys
out = sys.argv[1]
records = [bytes.fromhex(h) for h in (
    "4a4250312c000000010000084b0000002000200018000000000000001800000004000000000000000000000000000000000000000000000000000000000000000f000000090000000000000000000000000000000000000000000000000000000000000000000000000000001800ff00ff00ff00fe00000008080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808088d699e9be6a6796e9a9be6b9696e9ae7a6b9699e03000000ffffff00",
    "4a4250312c000000010000084b0000002000200018000000000000001800000004000000000000000000000000000000000000000000000000000000010000000e000000090000000000000000000000000000000000000000000000000000000000000000000000000000001800ff00ff00ff00fe000000080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080808080874d33c37cd73d3dc34cf4d73d33c37cd4df3dc3407000000ffffff00")]
def movie(records, version=b"2", rate=15, base=1, width=32, height=32, count=None):
    count = len(records) if count is None else count
    if version == b"2":
        width, height = width ^ 0xFFFFFFFF, height ^ 0xFFFFFFFF
    index_bytes = (count + 2) * 24
    header = b"RZM" + version + struct.pack("<I", 0) + struct.pack("<5I", count, rate, base, width, height)
    header += struct.pack("<I", 24) + struct.pack("<I", (index_bytes + sum(map(len, records))) & 0xFFFFFFFF)
    header += b"\0" * 8 + struct.pack("<I", index_bytes & 0xFFFFFFFF)
    entries, offset = b"", 0
    for frame, record in enumerate(records):
        entries += struct.pack("<6I", frame, len(record), 32 * 32 * 3, 2, offset, 0)
        offset += len(record)
    block = header + entries
    if count == len(records):
        block = block.ljust(index_bytes, b"\0")
    return block + b"".join(records)
def write(name, data):
    open(f"{out}/{name}", "wb").write(data)
write("v2_two_frames.rzm2", movie(records))
write("v1_two_frames.rzm2", movie(records, version=b"1", rate=30000, base=2002))
write("oversize_record.rzm2", movie([records[0], b"JBP1" + b"\0" * 70000, records[1]]))
write("truncated.rzm2", movie(records)[:-100])
write("absurd_count.rzm2", movie(records, count=0x7FFFFFFF)[:400])
write("time_base_0.rzm2", movie(records, base=0))
write("refused_record.rzm2", movie([records[0], b"JBP1" + records[1][4:40]]))
write("too_large.rzm2", movie(records, width=523, height=640))
PY
# Video: an open GOP, an odd size, 560-pixel rows and static content (skipped
# macroblocks), under each order of requests.
{ printf '\x00'; cat "$data/mpeg_stream/s64x48_open_end.mpg"; } >"$corpus/mpeg_video/open_gop_in_order.mpg"
{ printf '\x01'; cat "$data/mpeg_stream/s50x30_single_end.mpg"; } >"$corpus/mpeg_video/odd_size_backward.mpg"
{ printf '\x02'; cat "$data/mpeg_stream/s560x48_nob_end.mpg"; } >"$corpus/mpeg_video/wide_jumping.mpg"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "smptebars=size=48x32:rate=25" -frames:v 8 -c:v mpeg1video \
  -q:v 10 -g 4 -bf 1 -f mpeg "$work/static.mpg"
{ printf '\x02'; cat "$work/static.mpg"; } >"$corpus/mpeg_video/static_skips.mpg"
# Pictures: "JBP1" records for both paths, ".rbp" files of every kind and a
# save file, written by the seed maker (each with the target's mode byte).
"$build/fuzz/make_picture_seeds" "$corpus/picture"

# System streams with video (open and closed GOPs, drop-frame time codes, no B
# pictures, one picture) and with two sound tracks.
for name in s50x30_single_end s64x48_open s64x48_ntsc_df_end s80x64_film_end ffmux_24_6s; do
  cp "$data/mpeg_stream/$name.mpg" "$corpus/mpeg_stream/"
done
cp "$data/layer2/two_audio_streams.mpg" "$corpus/mpeg_stream/"

# Conversion jobs: an open GOP, a drop-frame NTSC rate, 24 frames a second and a
# single picture (shorter than one movie frame).
for name in s64x48_open_end s64x48_ntsc_df_end ffmux_24_6s s50x30_single_end; do
  cp "$data/mpeg_stream/$name.mpg" "$corpus/conversion_job/"
done

# Layer II elementary streams: stereo, mono, joint stereo, CRC, three rates.
for name in sine_stereo_44k sine_mono_44k sine_joint_32k sine_crc_44k sine_stereo_48k; do
  head -c 2500 "$data/layer2/$name.mp2" >"$corpus/layer2_frames/$name.mp2"
done

# jpegWrite: the 18 field bytes of the target (see fuzz/targets/jpeg_write.cpp)
# for the accepted layouts, baseline and progressive, on the plain and the
# SSE2 kernels in turn, then a few pixels.
python3 - "$corpus/jpeg_write" <<'PY'
import os, sys
layouts = {  # name: image channels-1, image colour index, packed, jpeg channels-1, jpeg colour index, sampling index
    "rgb_to_ycc420": (2, 0, 0, 2, 2, 1), "bgr_to_ycc422": (2, 1, 0, 2, 2, 2), "rgb_to_grey": (2, 0, 0, 0, 3, 0),
    "grey": (0, 3, 0, 0, 3, 0), "rgba_to_ycca4204": (3, 4, 0, 3, 5, 3), "packed422": (2, 2, 1, 2, 2, 2),
    "other4": (3, 6, 0, 2, 6, 0), "rgb_plain": (2, 0, 0, 2, 0, 0),
}
for number, (name, (ich, icol, packed, jch, jcol, samp)) in enumerate(layouts.items()):
    for progressive in (0, 1):
        kernels = 4 * ((number + progressive) % 2)  # processor class index: 0 plain, 4 SSE2
        fields = bytes([37, 0, 22, 0, progressive, ich, icol, packed, jch, jcol, samp, 75, progressive * 3,
                        8 * (1 - progressive), progressive | kernels << 1, 255, 2 * progressive, 1])
        pixels = bytes((i * 37 + (i // 97) * 11) & 0xFF for i in range(600))
        open(os.path.join(sys.argv[1], f"{name}_{'progressive' if progressive else 'baseline'}"), "wb").write(fields + pixels)
PY

# Sounds: MP3 (tags, encoder info frame, VBR, mono) and Ogg Vorbis, read from
# memory and from a file, looping and suspended (mode byte first).
for name in tagged44 info_frame44 vbr44 sine22_mono silence22; do
  { printf '\x00'; head -c 6000 "$data/sound/$name.mp3"; } >"$corpus/sound_stream/${name}_mp3"
done
{ printf '\x0e'; head -c 6000 "$data/sound/sine22_stereo.mp3"; } >"$corpus/sound_stream/sine22_stereo_mp3_file_loop"
for name in sine22_stereo sine44_mono silence22; do
  { printf '\x01'; cat "$data/sound/$name.ogg"; } >"$corpus/sound_stream/${name}_ogg"
done
{ printf '\x0f'; cat "$data/sound/sine22_stereo.ogg"; } >"$corpus/sound_stream/sine22_stereo_ogg_file_loop"
# An empty Ogg image (mode byte only): once read through a null pointer.
printf '\x23' >"$corpus/sound_stream/ogg_fault_empty_image"
# "system.dat" images: globals, both seen-lists and read marks; one whose
# stored set claims more positions than a set holds, and one with an empty set.
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
# A stored set with no positions: once copied from a null array.
empty = b"STS0" + word(0) + block([]) + block([]) + sets([(b"main.txt", [])])
open(os.path.join(sys.argv[1], "empty_set_fault.dat"), "wb").write(empty)
PY
# Save files: a header with scene, sounds and a choice, a 4 x 3 thumbnail,
# local variables and a backlog; one with an empty backlog and no thumbnail;
# one cut short, as a full medium once left it.
python3 - "$corpus/save_file" <<'PY'
import os, struct, sys
def word(v): return struct.pack("<I", v & 0xFFFFFFFF)
def put(buf, at, data): buf[at:at + len(data)] = data
def save(thumbnail, local_vars, backlog):
    h = bytearray(1656)
    put(h, 0, b"STA1"); put(h, 4, word(1656)); put(h, 8, b"2026-12-11 12:34:56")
    put(h, 104, b"page one"); put(h, 360, b"main.txt"); put(h, 384, b"v001"); put(h, 448, word(2))
    put(h, 460, word(1)); put(h, 468, word(1)); put(h, 480, word(0xFF00FF00)); put(h, 492, b"bg01")
    put(h, 532, word(1) + b"se01".ljust(32, b"\0") + word(100) + word(1))
    put(h, 708, word(1) + b"bgm01".ljust(32, b"\0") + word(100) + word(1))
    put(h, 752, word(1) + b"chr_a".ljust(32, b"\0") + word(100) + word(50) + word(0x404040))
    put(h, 992, b"sub.txt"); put(h, 1024, word(77)); put(h, 1028, word(2) + word(1))
    put(h, 1052 + 64, b"go"); put(h, 1436 + 32, b"L2"); put(h, 1648, word(40))
    locals_ = word(len(local_vars)) + b"".join(n + b"\0" + word(v) for n, v in local_vars)
    if backlog:
        body = word(len(backlog)) + b"".join(s + b"\0" + t + b"\0" + v + b"\0" for s, t, v in backlog)
        log = body + word(len(body))
    else:
        log = word(0)
    put(h, 92, word(len(thumbnail))); put(h, 96, word(len(locals_))); put(h, 100, word(len(log)))
    return bytes(h) + thumbnail + locals_ + log
pixels = b"\x00\xf8\xe0\x07" * 6
bmp = (b"BM" + word(54 + len(pixels)) + word(0) + word(54) + word(40) + word(4) + word(3)
       + struct.pack("<HH", 1, 16) + word(0) + word(len(pixels)) + word(0) * 4 + pixels)
full = save(bmp, [(b"a", 5), (b"flag", -3)], [(b"sp", b"first", b""), (b"", b"second", b"v9")])
open(os.path.join(sys.argv[1], "scene.dat"), "wb").write(full)
open(os.path.join(sys.argv[1], "empty_backlog.dat"), "wb").write(save(b"", [], []))
open(os.path.join(sys.argv[1], "short_write.dat"), "wb").write(full[:-7])
# Four '/'-separated lines, of which the save screen draws three.
lines = bytearray(full)
put(lines, 104, b"one/two/three/four")
open(os.path.join(sys.argv[1], "four_lines.dat"), "wb").write(bytes(lines))
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
jpeg_seed smooth_420 '\x40\x00\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -sample 2x2,1x1,1x1
jpeg_seed region_twice_422 '\x80\x01\x20\x00\x10\x00\x01\x01\x08\x04' "$work/colour.ppm" -sample 2x1,1x1,1x1 -restart 1
jpeg_seed arithmetic '\x00\x00\x2f\x00\x27\x00\x00\x00\x00\x00' "$work/colour.ppm" -arithmetic

# Menu icons: a screen byte (even 640 x 480, odd 320 x 240), then a 16-bit
# bitmap file image as a save's thumbnail carries it: the save size, a width
# with row padding, the widest and tallest that fit, and refused ones (24 bits, cut
# rows, as wide as the screen, a negative height).
python3 - "$corpus/menu_icon" <<'PY'
import os, struct, sys
def icon(screen, width, height, bits=16, cut=0):
    stride = (width * 2 + 3) & ~3
    rows = b"".join(bytes((x * 7 + y) & 255 for x in range(stride)) for y in range(max(height, 0)))
    headers = b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54)
    headers += struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 0, 0, 0, 0)
    image = bytes([screen]) + headers + rows
    return image[:len(image) - cut]
seeds = {
    "save_thumbnail": icon(0, 80, 60),
    "odd_width_small_screen": icon(1, 3, 2),
    "widest_small_screen": icon(1, 319, 2),
    "tallest_small_screen": icon(1, 2, 238),
    "bits24": icon(0, 8, 8, bits=24),
    "cut_last_row": icon(0, 5, 4, cut=1),
    "screen_wide": icon(1, 320, 2),
    "negative_height": icon(0, 8, -8),
}
for name, data in seeds.items():
    open(os.path.join(sys.argv[1], name + ".bmp"), "wb").write(data)
PY

# The demo game's own files, when the build's demo_data target has made them:
# archives, scripts, pictures, sounds, the opening movie, a save and
# "system.dat" (the demo_* inputs).
if [ -d "$build/bin/data" ]; then
  python3 "$root/fuzz/demo_seeds.py" "$build" "$corpus"
fi
