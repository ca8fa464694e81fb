#!/usr/bin/env bash
# Sets up what is missing, then configures and builds Kelvoria into
#   ${KELVORIA_BUILD_DIR:-build}
# The runnable layout ends up in <build>/run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORIA_BUILD_DIR:-$root/build}

bash "$root/scripts/setup.sh"
ffmpeg_prefix=$(bash "$root/scripts/build-ffmpeg.sh" | tail -n 1)

cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DKELVORIA_FFMPEG_PREFIX="$ffmpeg_prefix" >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "build: $build/run"
