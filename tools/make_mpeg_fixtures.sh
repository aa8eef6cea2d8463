#!/usr/bin/env bash
# Makes the small MPEG-1 system streams of tests/data/mpeg_stream with ffmpeg
# and records, for each, the picture types in display order as ffprobe
# decodes them (<name>.frames), which the tests take as the truth.
#   tools/make_mpeg_fixtures.sh [output-dir]
# Streams named *_end carry a sequence end code; the others end without one,
# as ffmpeg writes them. The ffmux_* streams are muxed by ffmpeg itself, as a
# user's file would be, at lengths that leave a short last group.
set -euo pipefail
out=${1:-$(dirname "$0")/../tests/data/mpeg_stream}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# make NAME TERMINATED SOURCE-FILTER FRAMES ENCODER-OPTIONS...
make() {
  local name=$1 terminated=$2 source=$3 frames=$4
  shift 4
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$source" -frames:v "$frames" \
    -c:v mpeg1video -q:v 12 "$@" -f mpeg1video "$work/$name.m1v"
  if [[ $terminated == 1 ]]; then printf '\x00\x00\x01\xb7' >>"$work/$name.m1v"; fi
  ffmpeg -hide_banner -loglevel error -y -f mpegvideo -i "$work/$name.m1v" -c copy -f mpeg "$out/$name.mpg"
  ffprobe -v error -select_streams v -show_entries frame=pict_type -of csv=p=0 "$out/$name.mpg" |
    tr -d '\n,' >"$out/$name.frames"
  echo >>"$out/$name.frames"
}

# muxed NAME RATE SECONDS ENCODER-OPTIONS...
muxed() {
  local name=$1 rate=$2 seconds=$3
  shift 3
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=48x32:rate=$rate" -t "$seconds" \
    -c:v mpeg1video -q:v 31 "$@" -f mpeg "$out/$name.mpg"
  ffprobe -v error -select_streams v -show_entries frame=pict_type -of csv=p=0 "$out/$name.mpg" |
    tr -d '\n,' >"$out/$name.frames"
  echo >>"$out/$name.frames"
}

make s64x48_open_end 1 testsrc=size=64x48:rate=25 40 -g 12 -bf 2
make s64x48_open 0 testsrc=size=64x48:rate=25 40 -g 12 -bf 2
make s560x48_nob_end 1 testsrc=size=560x48:rate=25 30 -g 6 -bf 0
make s176x144_closed_end 1 testsrc=size=176x144:rate=25 27 -g 9 -bf 2 -flags +cgop -sc_threshold 1000000000
make s64x48_ntsc_df_end 1 testsrc=size=64x48:rate=30000/1001 70 -g 12 -bf 2 \
  -timecode "00:00:59;28" -drop_frame_timecode 1
make s80x64_film_end 1 testsrc=size=80x64:rate=24000/1001 50 -g 15 -bf 1
make s50x30_single_end 1 testsrc=size=50x30:rate=25 8 -g 100 -bf 2
muxed ffmux_2997_20s 30000/1001 20 -bf 2
muxed ffmux_25_8s_nob 25 8 -bf 0
muxed ffmux_24_6s 24 6 -bf 2
