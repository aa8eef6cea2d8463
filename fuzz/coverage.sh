#!/usr/bin/env bash
# Line coverage of each fuzz target's parser over its committed corpus:
#   fuzz/coverage.sh [build-dir] [target...]
# Builds the replay drivers with clang's source-based coverage in a folder
# of their own (build-coverage by default), replays each corpus and prints,
# per target, the line coverage of the parser's own files, then a table of
# all. llvm-profdata and llvm-cov come from Debian's llvm. With
# COVERAGE_LINES=1 it also prints each file's lines the corpus never ran.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-coverage}
shift $(( $# > 0 ? 1 : 0 ))

# The parser's own files of each target: what the corpus is there to run.
declare -A parsers=(
  [archive_reader]="engine/archive/archive_reader.cpp engine/archive/archive_lzss.cpp"
  [audio_decoder]="converter/audio/audio_decoder.cpp converter/audio/audio_stream.cpp"
  [conversion_job]="converter/job/movie_video_pass.cpp converter/job/movie_frame_plan.cpp
                    converter/job/movie_frame_coding.cpp converter/job/movie_file_writer.cpp
                    converter/mpeg/mpeg_video.cpp"
  [jpeg_read]="jpeglib/jpeg_read.cpp jpeglib/jpeg_segment_parsers.cpp
               jpeglib/jpeg_input_segments.cpp jpeglib/jpeg_scan_decode.cpp
               jpeglib/jpeg_huffman_decode.cpp jpeglib/jpeg_bit_reader.cpp jpeglib/jpeg_row_resume.cpp
               jpeglib/jpeg_smooth_output.cpp jpeglib/simd/huffman_block_decode.cpp"
  [jpeg_write]="jpeglib/jpeg_encoder.cpp jpeglib/jpeg_markers.cpp jpeglib/jpeg_header.cpp
                jpeglib/jpeg_scan_encode.cpp jpeglib/jpeg_huffman_encode.cpp
                jpeglib/jpeg_huffman_optimize.cpp jpeglib/jpeg_progressive_encoder.cpp
                jpeglib/jpeg_progressive_gather.cpp jpeglib/jpeg_progressive_scan.cpp
                jpeglib/jpeg_progressive_script.cpp jpeglib/jpeg_validate.cpp jpeglib/jpeg_quantize.cpp"
  [layer2_frames]="converter/audio/layer2_decoder.cpp converter/audio/layer2_requantize.cpp"
  [menu_icon]="engine/menu/menu_tree.cpp"
  [movie]="common/rzm2_format.cpp engine/movie/movie_read_ahead.cpp engine/movie/movie_player.cpp"
  [mpeg_stream]="converter/mpeg/mpeg_system_stream.cpp converter/mpeg/mpeg_headers.cpp
                 converter/mpeg/mpeg_stream_index.cpp converter/mpeg/mpeg_byte_reader.cpp
                 converter/mpeg/mpeg_start_code.cpp"
  [mpeg_video]="converter/mpeg/mpeg_video.cpp converter/mpeg/mpeg_picture.cpp converter/mpeg/mpeg_slice.cpp
                converter/mpeg/mpeg_block.cpp converter/mpeg/mpeg_vlc.cpp converter/mpeg/mpeg_bit_reader.cpp
                converter/mpeg/mpeg_reconstruct.cpp converter/mpeg/mpeg_headers.cpp"
  [picture]="engine/pictures/picture_decoder.cpp engine/pictures/rbp_format.cpp engine/pictures/rbp_jbp.cpp
             engine/pictures/rbp_loader.cpp engine/pictures/picture_thumbnail.cpp"
  [profile_file]="engine/archive/profile_file.cpp"
  [save_file]="game/saves/save_file.cpp"
  [script]="game/script/script_interpreter.cpp game/script/script_tokenizer.cpp game/script/script_command.cpp
            game/script/script_conditions.cpp game/script/script_flow_commands.cpp
            game/script/script_label_index.cpp game/script/script_tag_cache.cpp game/script/script_variables.cpp"
  [sound_stream]="engine/sound/mp3_stream.cpp engine/sound/ogg_stream.cpp"
  [system_data]="game/stores/system_data.cpp game/stores/seen_stores.cpp"
)

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/targets/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
for target in "${targets[@]}"; do
  if [ -z "${parsers[$target]:-}" ]; then
    echo "$target: no parser files listed in $0" >&2
    exit 2
  fi
done

flags="-fprofile-instr-generate -fcoverage-mapping"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVEL_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$flags" >/dev/null
if ! cmake --build "$build" -j"${COVERAGE_JOBS:-3}" --target "${targets[@]/#/replay_}" >"$build/build.log" 2>&1; then
  tail -n 30 "$build/build.log" >&2
  exit 1
fi

# Scratch files on a memory file system when there is one, as fuzz/run.sh.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
profiles=$build/fuzz/profiles
mkdir -p "$profiles"
# Sums the lines of the parser's files from llvm-cov's export (the files are
# named as each compile saw them, "build/dir/../../engine/...", so they are
# matched once resolved); prints one row per file, then the total.
cover_files() {
  python3 -c '
import json, os, sys
root, wanted = sys.argv[1], set(sys.argv[2:])
lines = covered = 0
for entry in json.load(sys.stdin)["data"][0]["files"]:
    name = os.path.relpath(os.path.realpath(entry["filename"]), root)
    if name not in wanted:
        continue
    summary = entry["summary"]["lines"]
    lines += summary["count"]
    covered += summary["covered"]
    print("  %-50s %6d lines %6.2f%%" % (name, summary["count"], summary["percent"]))
print("TOTAL %d %d %.2f%%" % (lines, lines - covered, 100.0 * covered / lines if lines else 0.0))
' "$root" "$@"
}

summary=()
for target in "${targets[@]}"; do
  program=$build/fuzz/replay_$target
  rm -f "$profiles/$target".*
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LLVM_PROFILE_FILE="$profiles/$target.profraw" \
    "$program" "$root/fuzz/corpus/$target" >/dev/null 2>&1
  llvm-profdata merge -sparse "$profiles/$target.profraw" -o "$profiles/$target.profdata"
  llvm-cov export -summary-only "$program" -instr-profile="$profiles/$target.profdata" \
    >"$profiles/$target.json"
  echo "== $target"
  report=$(cover_files ${parsers[$target]} <"$profiles/$target.json")
  echo "$report" | grep -v '^TOTAL'
  if [ "${COVERAGE_LINES:-0}" = 1 ]; then
    llvm-cov show "$program" -instr-profile="$profiles/$target.profdata" | awk -v root="$root/" \
      -v wanted=" ${parsers[$target]//$'\n'/ } " '
        /^\/.*:$/ { name = substr($0, length(root) + 1, length($0) - length(root) - 1)
                    shown = index(wanted, " " name " ") > 0; if (shown) print name; next }
        shown && /^ *[0-9]+\| *0\|/ { print }'
  fi
  summary+=("$(printf '%-16s %s' "$target" "$(echo "$report" | awk '/^TOTAL/ {print $2, $3, $4}')")")
done
echo
echo "target           lines missed cover"
printf '%s\n' "${summary[@]}"
