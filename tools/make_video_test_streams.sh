#!/usr/bin/env bash
# Makes the MPEG-1 system streams the video decoder tests and benchmark
# compare with an independent decoder: ffmpeg's encoder at several sizes,
# quantisers and GOP shapes, and mjpegtools' mpeg2enc/mplex (another
# encoder, open GOPs by default). Nothing is committed: the tests call this
# once per build folder.
#   tools/make_video_test_streams.sh output-dir [bench]
# With "bench" only the 640 x 480, 20-second benchmark stream is made.
set -euo pipefail
out=$1
mkdir -p "$out"

# ffmpeg_stream NAME SOURCE FRAMES ENCODER-OPTIONS...
ffmpeg_stream() {
  local name=$1 source=$2 frames=$3
  shift 3
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$source" -frames:v "$frames" \
    -c:v mpeg1video "$@" -f mpeg "$out/$name.mpg"
}

# mjpeg_stream NAME SOURCE FRAMES MPEG2ENC-OPTIONS...
mjpeg_stream() {
  local name=$1 source=$2 frames=$3
  shift 3
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$source" -frames:v "$frames" \
    -pix_fmt yuv420p -f yuv4mpegpipe - | mpeg2enc -v 0 -f 0 "$@" -o "$out/$name.m1v"
  mplex -v 0 -f 0 -r 10000 -o "$out/$name.mpg" "$out/$name.m1v"
  rm -f "$out/$name.m1v"
}

if [[ ${2:-} == bench ]]; then
  ffmpeg_stream bench_640x480 "testsrc2=size=640x480:rate=25" 500 -q:v 6 -g 12 -bf 2
  exit 0
fi

ffmpeg_stream ff_static_176x144 "smptebars=size=176x144:rate=25" 30 -q:v 8 -g 12 -bf 2
ffmpeg_stream ff_still_560x64 "color=c=gray:size=560x64:rate=25,drawbox=x=200:y=8:w=40:h=40:c=red:t=fill" 13 \
  -q:v 8 -g 12 -bf 2
ffmpeg_stream ff_odd_97x65 "testsrc=size=97x65:rate=25" 20 -q:v 5 -g 12 -bf 2
ffmpeg_stream ff_q2_160x128 "testsrc2=size=160x128:rate=25" 26 -q:v 2 -g 12 -bf 2
ffmpeg_stream ff_q31_160x128 "mandelbrot=size=160x128:rate=25" 26 -q:v 31 -g 12 -bf 2
ffmpeg_stream ff_longgop_128x96 "testsrc2=size=128x96:rate=25" 70 -q:v 4 -g 60 -bf 3
ffmpeg_stream ff_motion_320x240 "mandelbrot=size=320x240:rate=25" 30 -q:v 3 -g 12 -bf 2
mjpeg_stream mj_352x288 "testsrc2=size=352x288:rate=25" 40 -q 6
mjpeg_stream mj_static_176x144 "smptebars=size=176x144:rate=25" 30 -q 4 -g 12 -G 12
# MPEG-2 video in an MPEG-1 system stream: refused by the decoder.
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=64x48:rate=25" -frames:v 6 \
  -c:v mpeg2video -f mpeg "$out/mpeg2_64x48.mpg"
touch "$out/complete"
