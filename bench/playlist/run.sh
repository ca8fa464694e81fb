#!/usr/bin/env bash
# Runs the playlist window's rebuild benchmark under Wine beside the skins.
#   run.sh [BUILD]     (default: $KELVORIA_BUILD_DIR or build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${KELVORIA_BUILD_DIR:-$root/build}}
# shellcheck source=../summary.sh
source "$root/bench/summary.sh"
cd "$build/run"
report=$(bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/bench/bench_playlist_rebuild.exe" |
    tr -d '\r')
echo "$report"
shown=$(sed -n 's/.*: \([0-9.]*\) ms shown.*/\1/p' <<<"$report")
bench_figure "playlist rebuild, 1,999 songs, shown" "$shown ms" "-" "-" "100 ms"
