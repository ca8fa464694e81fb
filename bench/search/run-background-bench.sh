#!/usr/bin/env bash
# The scan beside the player: 20,000 files in 2,000 folders, one tagged
# music file in each (the eight kinds in turn; the list takes 1,999).
#   in process (scan_bench.exe): the scan on this thread as it ran before
#     against the walk and the tags on threads of their own, to the last
#     name written back (budget 1.1), the same list asked; Cancel to the
#     walk's thread ended (budget 250 ms)
#   through Kelvoria.exe, with the mouse (scan_answers.py): the longest
#     time the main window took to answer WM_NULL, asked every 50 ms from
#     outside while the search window scans the tree as drive D: (budget
#     100 ms)
#   run-background-bench.sh BUILD_DIR     (under scripts/with-display.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/bench.sh
source "$here/../lib/bench.sh"
root=$bench_root
bench_use_build "${1:?usage: run-background-bench.sh BUILD_DIR}"
build=$bench_build
tree=$build/bench/scan-20k-tree
sample=$build/bench/scan-tags-sample
kinds=(mp3 wav wma ogg flac m4a opus aac)

if [ ! -f "$tree/.complete-v1" ]; then
    rm -rf "$tree"
    mkdir -p "$tree" "$sample"
    ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
    tags=(-metadata title="Bench Title" -metadata artist="Bench Artist")
    for kind in "${kinds[@]}"; do
        [ -f "$sample/song.$kind" ] && continue
        codec=()
        case $kind in
            wma) codec=(-c:a wmav2) ;;
            ogg) codec=(-c:a libvorbis) ;;
            opus) codec=(-c:a libopus) ;;
            aac) codec=(-c:a aac -write_id3v2 1) ;;
        esac
        ff -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=2" "${codec[@]}" "${tags[@]}" "$sample/song.$kind"
    done
    python3 - "$tree" "$sample" "${kinds[@]}" <<'PY'
import os, sys
tree, sample, kinds = sys.argv[1], sys.argv[2], sys.argv[3:]
for number in range(2000):
    folder = os.path.join(tree, "artist%02d" % (number // 50), "album%02d" % (number % 50))
    os.makedirs(folder)
    for note in range(9):
        open(os.path.join(folder, "%02d notes.txt" % note), "w").close()
    kind = kinds[number % len(kinds)]
    os.link(os.path.join(sample, "song." + kind), os.path.join(folder, "09 track." + kind))
open(os.path.join(tree, ".complete-v1"), "w").close()
PY
fi

prefix=$bench_prefix
bench_wine_up
sleep 2

echo "== search: the scan on this thread and away from it, 20,000 files in 2,000 folders with tags"
pattern="Z:${tree//\//\\}\\*.*"
report=$(cd "$build/run" && bench_wine "$build/bench/scan_bench.exe" "$pattern" 5 | tr -d '\r')
echo "$report"
scan=$(sed -n 's/^scan .* best of [0-9]* \([0-9.]*\) ms.*/\1/p' <<<"$report")
away=$(sed -n 's/^away .* best of [0-9]* \([0-9.]*\) ms,.*/\1/p' <<<"$report")
scan_median=$(sed -n 's/^scan .* median \([0-9.]*\) ms.*/\1/p' <<<"$report")
away_median=$(sed -n 's/^away .* median \([0-9.]*\) ms.*/\1/p' <<<"$report")
cancel=$(sed -n 's/^cancel .* longest of [0-9]* \([0-9.]*\) ms.*/\1/p' <<<"$report")
bench_figure "whole scan away from the interface, 20,000 files with tags" "$away ms" "$scan ms (the scan on its thread)" \
    "$(ratio "$away" "$scan")" 1.1
bench_figure "the same, medians of the runs" "$away_median ms" "$scan_median ms" \
    "$(ratio "$away_median" "$scan_median")" -
bench_figure "Cancel to the walk stopped" "$cancel ms" "-" "-" "250 ms"

echo "== search: the main window's answers while the search window scans the tree (Kelvoria.exe)"
drives=$build/tests/search-drives
bash "$root/tests/search/make-search-drives.sh" "$prefix" "$drives" "$build/wine-exec.sh" "$build/run"
cp -al "$tree/." "$drives/d/"
answers=$(python3 "$here/scan_answers.py" "$build/wine-exec.sh" "$prefix" "$build/run")
echo "$answers"
longest=$(sed -n 's/.*longest \([0-9.]*\) ms.*/\1/p' <<<"$answers")
bench_figure "longest wait for the main window during a scan" "$longest ms" "-" "-" "100 ms"
rm -rf "${drives:?}/d"/*
