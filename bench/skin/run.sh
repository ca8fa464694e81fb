#!/usr/bin/env bash
# Runs the region builder benchmark under Wine beside the copied skins.
#   run.sh [BUILD]     (default: where scripts/build.sh builds the chosen target)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/arch.sh
source "$root/scripts/arch.sh"
build=$(kelvoria_bench_build_dir "$root" "${1:-}")
# shellcheck source=../summary.sh
source "$root/bench/summary.sh"
cd "$build/run"
report=$(bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/bench/bench_region.exe" | tr -d '\r')
echo "$report"
main=$(sed -n 's|^Skins/Skin.bmp *median *\([0-9.]*\) ms.*|\1|p' <<<"$report")
bench_figure "main window outline (BmpToRgn)" "$main ms" "-" "-" "5 ms"
