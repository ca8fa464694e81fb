#!/usr/bin/env bash
# Runs the playlist window's rebuild benchmark under Wine beside the skins.
#   run.sh [BUILD]     (default: where scripts/build.sh builds the chosen target)
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
bench_use_build "$(kelvoria_bench_build_dir "$bench_root" "${1:-}")"
cd "$bench_build/run"
report=$(bench_wine "$bench_build/bench/bench_playlist_rebuild.exe" | tr -d '\r')
echo "$report"
shown=$(sed -n 's/.*: \([0-9.]*\) ms shown.*/\1/p' <<<"$report")
bench_figure "playlist rebuild, 1,999 songs, shown" "$shown ms" "-" "-" "100 ms"
