#!/usr/bin/env bash
# Times our Layer II decoder (bench_layer2_decode, in memory) against mpg123
# decoding the same file to 16-bit PCM (whole process, best of five), on two
# three-minute 44.1 kHz stereo 192 kbit/s inputs: the repeated sine fixture
# and an encoding of noise, which fills every subband.
#   tools/bench_layer2_vs_mpg123.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build}/bench/bench_layer2_decode
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for _ in $(seq 600); do cat "$root/tests/data/layer2/sine_stereo_44k.mp2"; done >"$work/sine.mp2"
ffmpeg -loglevel error -f lavfi -i "anoisesrc=c=pink:a=0.3:r=44100:d=188" -ac 2 -f s16le "$work/noise.raw"
twolame --quiet -r -s 44100 -N 2 -m s -b 192 "$work/noise.raw" "$work/noise.mp2"

best_seconds() {
  local best=
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best=$(echo "$end - $start" | bc | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
  done
  echo "$best"
}

for input in sine noise; do
  file="$work/$input.mp2"
  theirs=$(best_seconds mpg123 -q -s "$file")
  ours_ms=$(LAYER2_BENCH_FILE="$file" "$bench" --benchmark_min_time=1 --benchmark_format=csv 2>/dev/null |
    awk -F, '/BM_DecodeLayer2TenMinutes/ { print $3 }')
  echo "$input: ours ${ours_ms} ms, mpg123 $(echo "$theirs * 1000" | bc) ms, ratio $(echo "scale=2; $ours_ms / ($theirs * 1000)" | bc)"
done
