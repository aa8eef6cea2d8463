#!/usr/bin/env bash
# Installs the Debian packages the project needs (only the missing ones),
# then configures and builds into the given folder.
#   ./setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake pkg-config clang llvm
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libpng-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libmpg123-dev libvorbis-dev libmp3lame-dev libsoxr-dev
  zlib1g-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs
  ffmpeg twolame mpg123 lame vorbis-tools sox
  libavcodec-dev mjpegtools
  xvfb xdotool
  python3
  python3-cairo
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
