#!/usr/bin/env bash
# The disk scan's walk under Wine beside `find` on the same tree: 20,000
# files in 2,000 folders, one file in ten a music file (1,990 of them, so
# that the song list's 1,999 slots never fill and the walk covers the whole
# tree). Prints both times and their ratio; the budget is 5.
#   run-walk-bench.sh BUILD_DIR        (after the build; needs an X display
#                                        only if Wine wants one: use
#                                        scripts/with-display.sh)
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
bench_use_build "${1:?usage: run-walk-bench.sh BUILD_DIR}"
build=$bench_build
tree=$build/bench/scan-tree
runs=5

if [ ! -f "$tree/.complete-v1" ]; then
    rm -rf "$tree"
    python3 - "$tree" <<'PY'
import os, sys
tree = sys.argv[1]
folders = 0
music = 0
for top in range(40):
    top_dir = os.path.join(tree, "artist%02d" % top)
    for sub in range(50):
        # 40 top folders, each holding 49 album folders: 2,000 in all.
        folder = top_dir if sub == 0 else os.path.join(top_dir, "album%02d" % sub)
        os.makedirs(folder, exist_ok=True)
        folders += 1
        for number in range(10):
            if number == 0 and folders > 10:
                name = "%02d track.mp3" % number
                music += 1
            else:
                name = "%02d notes.txt" % number
            open(os.path.join(folder, name), "w").close()
open(os.path.join(tree, ".complete-v1"), "w").close()
print("bench tree: %d folders, %d files, %d music files" % (folders, folders * 10, music))
PY
fi

best_find=
for _ in $(seq $runs); do
    start=$(date +%s%N)
    find "$tree" >/dev/null
    took=$(( ($(date +%s%N) - start) / 1000 ))
    if [ -z "$best_find" ] || [ "$took" -lt "$best_find" ]; then best_find=$took; fi
done

# Wine's own start (its server and services) is not part of the walk: warm
# it up and keep its server running while the walk is timed.
bench_wine_up
sleep 2

pattern="Z:${tree//\//\\}\\*.*"
walk_line=$(bench_wine "$build/bench/scan_walk_bench.exe" "$pattern" $runs | tr -d '\r')
walk_ms=$(sed -n 's/.* \([0-9.]*\) ms$/\1/p' <<<"$walk_line")

echo "$walk_line"
awk -v find_us="$best_find" -v walk_ms="$walk_ms" 'BEGIN {
    printf "find: best of 5 runs %.1f ms\n", find_us / 1000
    printf "ratio walk/find: %.2f (budget 5)\n", walk_ms / (find_us / 1000)
}'
