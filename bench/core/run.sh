#!/usr/bin/env bash
# Generates the benchmark's music files (once) and runs the tag reading
# benchmark under Wine.
#   run.sh [BUILD]     (default: where scripts/build.sh builds the chosen target)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/arch.sh
source "$root/scripts/arch.sh"
build=$(kelvoria_bench_build_dir "$root" "${1:-}")
files=$build/bench/core/files
bash "$root/bench/core/make-bench-files.sh" "$files"
# shellcheck source=../summary.sh
source "$root/bench/summary.sh"
cd "$build/bench/core"
report=$(bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/bench/bench_query_tags.exe" files |
    tr -d '\r')
echo "$report"
median=$(sed -n 's/.*warm runs: .* median \([0-9.]*\) s,.*/\1/p' <<<"$report")
bench_figure "queryTags over 1,999 songs" "$median s" "-" "-" "2 s"
