#!/usr/bin/env bash
# A long run of one fuzz target of the libFuzzer build:
#   fuzz/run.sh TARGET MINUTES [build-dir] [jobs] [libFuzzer flags...]
# with the device's allocation limit (256 MiB per block) and a 10 s hang
# limit. New inputs go to a work folder beside the build (the committed seed
# corpus is only read); a crash, hang, leak or out-of-memory input is written
# to build-dir/fuzz/findings/TARGET/ and ends the run with a non-zero status.
# The last lines printed are libFuzzer's figures (executions, their rate,
# peak memory).
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET MINUTES [build-dir] [jobs] [libFuzzer flags...]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
target=$1
minutes=$2
build=${3:-$root/build-fuzz}
jobs=${4:-1}
shift $(( $# < 4 ? $# : 4 ))
program=$build/fuzz/fuzz_$target
if [ ! -x "$program" ]; then
  echo "$program not built (cmake --build $build --target fuzz_$target)" >&2
  exit 2
fi
# Every input goes through a scratch file (and -fork keeps its jobs' files
# in the temporary folder too): on a memory file system that costs no disk
# and runs about three times the executions.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
# Leaks inside outside libraries that no caller can free are not findings.
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$build/fuzz/work/$target
findings=$build/fuzz/findings/$target
mkdir -p "$work" "$findings"
# The targets' own diagnostic lines are dropped (-close_fd_mask=2; sanitizer
# reports still come): a looping input can write millions, and with jobs the
# parent reads each job's whole log into memory.
args=(-malloc_limit_mb=256 -rss_limit_mb=2048 -timeout=10 -max_total_time=$((minutes * 60)) -close_fd_mask=2
      -print_final_stats=1 -artifact_prefix="$findings/")
if [ "$jobs" -gt 1 ]; then
  args+=(-fork="$jobs" -ignore_crashes=0)
fi
exec "$program" "${args[@]}" "$@" "$work" "$root/fuzz/corpus/$target"
