#!/usr/bin/env bash
# Records the replay's references (pictures and level profiles) of both
# screen sets from the programs and data of one build folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for program in novel_ce5 novel_ce3; do
  /usr/bin/python3 "$here/demo_replay.py" --bin "$build/bin" --program "$program" --out "$out" --rewrite
done
