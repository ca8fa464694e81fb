#!/usr/bin/env bash
# A start with a kept list of 1,999 songs: start to the main window shown,
# and its longest silence in the 10 s after (budget 100 ms).
#   run-kept-list-start.sh BUILD_DIR     (under scripts/with-display.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/bench.sh
source "$here/../lib/bench.sh"
bench_use_build "$1"
files=$bench_build/bench/core/files
bash "$bench_root/bench/core/make-bench-files.sh" "$files"
echo "== app: a start with a kept list of 1,999 songs"
report=$(python3 "$here/kept_list_start.py" "$bench_build/wine-exec.sh" "$bench_prefix" "$bench_work" "$files")
echo "$report"
shown=$(sed -n 's/^start to the main window shown: \([0-9]*\) ms/\1/p' <<<"$report")
longest=$(sed -n 's/.*longest \([0-9.]*\) ms.*/\1/p' <<<"$report")
bench_figure "start with a kept list of 1,999 songs to the main window" "$shown ms" "-" "-" "-"
bench_figure "longest main-window silence in the 10 s after" "$longest ms" "-" "-" "100 ms"
