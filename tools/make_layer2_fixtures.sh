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

# raw16 NAME RATE CHANNELS FILTER-SOURCE: 16-bit raw PCM of a lavfi source.
raw16() {
  ffmpeg -loglevel error -y -f lavfi -i "$4" -t "$duration" -ar "$2" -ac "$3" -f s16le "$work/$1.raw"
}

# encode NAME RATE CHANNELS TWOLAME-OPTIONS...
encode() {
  local name=$1 rate=$2 channels=$3
  shift 3
  twolame --quiet -r -s "$rate" -N "$channels" "$@" "$work/$name.raw" "$out/$name.mp2"
  mpg123 -q --stereo -e s16 -O "$out/$name.ref.pcm" "$out/$name.mp2"
}

two_tones="sine=f=1000:r=%d:d=$duration[a];sine=f=1500:r=%d:d=$duration[b];[a][b]amerge=inputs=2"
stereo_source() { printf "$two_tones" "$1" "$1"; }

raw16 sine_stereo_44k 44100 2 "$(stereo_source 44100)"
encode sine_stereo_44k 44100 2 -m s -b 192

raw16 sine_joint_44k 44100 2 "$(stereo_source 44100)"
encode sine_joint_44k 44100 2 -m j -b 128

raw16 sine_stereo_48k 48000 2 "$(stereo_source 48000)"
encode sine_stereo_48k 48000 2 -m s -b 192

raw16 sine_joint_48k 48000 2 "$(stereo_source 48000)"
encode sine_joint_48k 48000 2 -m j -b 96

raw16 sine_stereo_32k 32000 2 "$(stereo_source 32000)"
encode sine_stereo_32k 32000 2 -m s -b 128

raw16 sine_joint_32k 32000 2 "$(stereo_source 32000)"
encode sine_joint_32k 32000 2 -m j -b 64

raw16 sine_mono_44k 44100 1 "sine=f=1000:r=44100:d=$duration"
encode sine_mono_44k 44100 1 -m m -b 96

# Error protection (a CRC after each header) and padded frames.
raw16 sine_crc_44k 44100 2 "$(stereo_source 44100)"
encode sine_crc_44k 44100 2 -m s -b 160 -p -d

raw16 silence_44k 44100 2 "anullsrc=r=44100:cl=stereo"
encode silence_44k 44100 2 -m s -b 128

# A full-scale square wave: its decoded overshoot must clip.
raw16 loud_44k 44100 2 "aevalsrc=if(lt(mod(t*441\,1)\,0.5)\,0.999\,-0.999)|if(lt(mod(t*441\,1)\,0.5)\,-0.999\,0.999):s=44100"
encode loud_44k 44100 2 -m s -b 192

# A system stream with a tiny video, audio stream 0xC0 (the stereo sine) and
# a second audio stream 0xC1 (the joint-stereo sine) that must be ignored.
ffmpeg -loglevel error -y -f lavfi -i "color=c=black:s=32x32:r=25:d=$duration" \
  -i "$out/sine_stereo_44k.mp2" -i "$out/sine_joint_44k.mp2" \
  -map 0:v -map 1:a -map 2:a -c:v mpeg1video -b:v 64k -c:a copy -f mpeg "$out/two_audio_streams.mpg"
