#!/usr/bin/env bash
# Runs the playlist window's rebuild benchmark under Wine beside the skins.
#   run.sh [BUILD]     (default: where scripts/build.sh builds the chosen target)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/arch.sh
source "$root/scripts/arch.sh"
build=$(kelvoria_bench_build_dir "$root" "${1:-}")
# shellcheck source=../summary.sh
source "$root/bench/summary.sh"
cd "$build/run"
report=$(bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/bench/bench_playlist_rebuild.exe" |
    tr -d '\r')
echo "$report"
shown=$(sed -n 's/.*: \([0-9.]*\) ms shown.*/\1/p' <<<"$report")
bench_figure "playlist rebuild, 1,999 songs, shown" "$shown ms" "-" "-" "100 ms"
