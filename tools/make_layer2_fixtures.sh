#!/usr/bin/env bash
# Makes the Layer II test fixtures in tests/data/layer2/: short encodings of
# known signals (twolame), the reference PCM of each from an independent
# decoder (mpg123, 16-bit, mono duplicated to stereo), and a small MPEG-1
# system stream around two of them (ffmpeg). Needs ffmpeg, twolame, mpg123.
set -euo pipefail
out=$(cd "$(dirname "$0")/.." && pwd)/tests/data/layer2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

duration=0.3

# fixture NAME RATE CHANNELS LAVFI-SOURCE TWOLAME-OPTIONS...: encodes 16-bit
# PCM of the source and decodes the result with the reference decoder.
fixture() {
  local name=$1 rate=$2 channels=$3 source=$4
  shift 4
  ffmpeg -loglevel error -y -f lavfi -i "$source" -t "$duration" -ar "$rate" -ac "$channels" -f s16le "$work/$name.raw"
  twolame --quiet -r -s "$rate" -N "$channels" "$@" "$work/$name.raw" "$out/$name.mp2"
  mpg123 -q --stereo -e s16 -O "$out/$name.ref.pcm" "$out/$name.mp2"
}

# 1,000 Hz on the left, 1,500 Hz on the right.
two_tones() {
  printf 'sine=f=1000:r=%d:d=%s[a];sine=f=1500:r=%d:d=%s[b];[a][b]amerge=inputs=2' "$1" "$duration" "$1" "$duration"
}

fixture sine_stereo_44k 44100 2 "$(two_tones 44100)" -m s -b 192
fixture sine_joint_44k 44100 2 "$(two_tones 44100)" -m j -b 128
fixture sine_stereo_48k 48000 2 "$(two_tones 48000)" -m s -b 192
fixture sine_joint_48k 48000 2 "$(two_tones 48000)" -m j -b 96
fixture sine_stereo_32k 32000 2 "$(two_tones 32000)" -m s -b 128
fixture sine_joint_32k 32000 2 "$(two_tones 32000)" -m j -b 64
fixture sine_mono_44k 44100 1 "sine=f=1000:r=44100:d=$duration" -m m -b 96
# Error protection (a CRC after each header) and padded frames.
fixture sine_crc_44k 44100 2 "$(two_tones 44100)" -m s -b 160 -p -d
fixture silence_44k 44100 2 "anullsrc=r=44100:cl=stereo" -m s -b 128
# Pink noise: every band busy, unlike the tones.
fixture pink_48k 48000 2 "anoisesrc=c=pink:r=48000:a=0.5:seed=15,aformat=channel_layouts=stereo" -m s -b 192
# A full-scale square wave: its decoded overshoot must clip.
square='if(lt(mod(t*441\,1)\,0.5)\,0.999\,-0.999)'
fixture loud_44k 44100 2 "aevalsrc=$square|-($square):s=44100" -m s -b 192

# A system stream with a tiny video, audio stream 0xC0 (the stereo sine) and
# a second audio stream 0xC1 (the joint-stereo sine) that must be ignored.
ffmpeg -loglevel error -y -f lavfi -i "color=c=black:s=32x32:r=25:d=$duration" \
  -i "$out/sine_stereo_44k.mp2" -i "$out/sine_joint_44k.mp2" \
  -map 0:v -map 1:a -map 2:a -c:v mpeg1video -b:v 64k -c:a copy -f mpeg "$out/two_audio_streams.mpg"
