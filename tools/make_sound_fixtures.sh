#!/usr/bin/env bash
# Makes the MP3 and Ogg Vorbis test sounds in tests/data/sound/ from sine tones
# (ffmpeg), through lame and oggenc.
#   tools/make_sound_fixtures.sh [output-folder]
set -euo pipefail
out=${1:-$(dirname "$0")/../tests/data/sound}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# tone NAME RATE CHANNELS SECONDS [FREQUENCY]: a sine (440 Hz left, 660 Hz right)
tone() {
  local name=$1 rate=$2 channels=$3 seconds=$4
  if [[ $channels == 1 ]]; then
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=$rate:duration=$seconds" \
      -af volume=0.5 -ac 1 -fflags +bitexact -flags:a +bitexact -c:a pcm_s16le "$work/$name.wav"
  else
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=$rate:duration=$seconds" \
      -f lavfi -i "sine=frequency=660:sample_rate=$rate:duration=$seconds" \
      -filter_complex "[0:a][1:a]join=inputs=2:channel_layout=stereo,volume=0.5" -fflags +bitexact -flags:a +bitexact -c:a pcm_s16le "$work/$name.wav"
  fi
}

tone s44 44100 2 1
tone m44 44100 1 1
tone s22 22050 2 1
tone m22 22050 1 1
tone s48 48000 2 1
ffmpeg -loglevel error -y -f lavfi -i "anullsrc=r=22050:cl=stereo" -t 1 -fflags +bitexact -flags:a +bitexact -c:a pcm_s16le "$work/quiet.wav"

# -t: no encoder info frame, so frames in and samples out line up.
lame --quiet -t -b 128 "$work/s44.wav" "$out/sine44_stereo.mp3"
lame --quiet -t -b 64 "$work/m44.wav" "$out/sine44_mono.mp3"
lame --quiet -t -b 64 "$work/s22.wav" "$out/sine22_stereo.mp3"
lame --quiet -t -b 32 "$work/m22.wav" "$out/sine22_mono.mp3"
lame --quiet -t -b 128 "$work/s48.wav" "$out/sine48_stereo.mp3"
lame --quiet -t -b 32 "$work/quiet.wav" "$out/silence22.mp3"
lame --quiet -b 128 "$work/s44.wav" "$out/info_frame44.mp3"
lame --quiet -t -V 2 "$work/s44.wav" "$out/vbr44.mp3"
lame --quiet -t -b 128 --add-id3v2 --pad-id3v2-size 257 --tt "Sine" --ta "Test" "$work/s44.wav" "$out/tagged44.mp3"

oggenc --quiet -q 3 -o "$out/sine44_stereo.ogg" "$work/s44.wav"
oggenc --quiet -q 3 -o "$out/sine44_mono.ogg" "$work/m44.wav"
oggenc --quiet -q 3 -o "$out/sine22_stereo.ogg" "$work/s22.wav"
oggenc --quiet -q 3 -o "$out/sine48_stereo.ogg" "$work/s48.wav"
oggenc --quiet -q 0 -o "$out/silence22.ogg" "$work/quiet.wav"
