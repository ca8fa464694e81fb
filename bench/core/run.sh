#!/usr/bin/env bash
# Generates the benchmark's music files (once) and runs the tag reading
# benchmark under Wine.
#   run.sh [BUILD]     (default: where scripts/build.sh builds the chosen target)
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
bench_use_build "$(kelvoria_bench_build_dir "$bench_root" "${1:-}")"
files=$bench_build/bench/core/files
bash "$bench_root/bench/core/make-bench-files.sh" "$files"
cd "$bench_build/bench/core"
report=$(bench_wine "$bench_build/bench/bench_query_tags.exe" files | tr -d '\r')
echo "$report"
median=$(sed -n 's/.*warm runs: .* median \([0-9.]*\) s,.*/\1/p' <<<"$report")
bench_figure "queryTags over 1,999 songs" "$median s" "-" "-" "2 s"
