#!/usr/bin/env bash
# Runs the playlist window's rebuild benchmark under Wine beside the skins.
#   run.sh [BUILD]     (default: $KELVORIA_BUILD_DIR or build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${KELVORIA_BUILD_DIR:-$root/build}}
cd "$build/run"
bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/bench/bench_playlist_rebuild.exe"
