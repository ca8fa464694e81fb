#!/usr/bin/env bash
# Runs the region builder benchmark under Wine beside the copied skins.
#   run.sh [BUILD]     (default: where scripts/build.sh builds the chosen target)
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
bench_use_build "$(kelvoria_bench_build_dir "$bench_root" "${1:-}")"
cd "$bench_build/run"
report=$(bench_wine "$bench_build/bench/bench_region.exe" | tr -d '\r')
echo "$report"
main=$(sed -n 's|^Skins/Skin.bmp *median *\([0-9.]*\) ms.*|\1|p' <<<"$report")
bench_figure "main window outline (BmpToRgn)" "$main ms" "-" "-" "5 ms"
