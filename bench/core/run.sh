#!/usr/bin/env bash
# Generates the benchmark's music files (once) and runs the tag reading
# benchmark under Wine.
#   run.sh [BUILD]     (default: $KELVORIA_BUILD_DIR or build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${KELVORIA_BUILD_DIR:-$root/build}}
files=$build/bench/core/files
bash "$root/bench/core/make-bench-files.sh" "$files"
cd "$build/bench/core"
bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/bench/bench_query_tags.exe" files
