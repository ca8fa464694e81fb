#!/usr/bin/env bash
# One drive's scan and tag reading under Wine beside the platform's floor:
# 2,000 music files of all eight kinds (mp3, wav, wma, ogg, flac, m4a, opus,
# aac, in turn; all tagged) in 200 folders, scanned through searchDiskForMF
# with the real engine and the real playlist window, against a bare
# FindFirstFileA/FindNextFileA walk of the same tree in the same program.
# The song list holds 1,999: the scan stops at the last file of the walk.
# Budgets: the walk within 1.1 x the floor, the whole scan under 2 s.
#   run-scan-bench.sh BUILD_DIR     (after the build; use scripts/with-display.sh
#                                    when there is no X display)
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
bench_use_build "${1:?usage: run-scan-bench.sh BUILD_DIR}"
build=$bench_build
# shellcheck source=../../tools/media.sh
source "$(dirname "$0")/../../tools/media.sh"
tree=$build/bench/scan-tags-tree
sample=$build/bench/scan-tags-sample
runs=5
kinds=(mp3 wav wma ogg flac m4a opus aac)

if [ ! -f "$tree/.complete-v2" ]; then
    rm -rf "$tree" "$sample"
    mkdir -p "$tree" "$sample"
    tags=(-metadata title="Bench Title" -metadata artist="Bench Artist")
    for kind in "${kinds[@]}"; do
        make_music "$sample/song.$kind" "$(tone 440 2)" "${tags[@]}"
    done
    number=0
    for artist in $(seq -w 0 19); do
        for album in $(seq -w 0 9); do
            folder="$tree/artist$artist/album$album"
            mkdir -p "$folder"
            for track in $(seq -w 0 9); do
                kind=${kinds[$((number % 8))]}
                cp "$sample/song.$kind" "$folder/$track track.$kind"
                number=$((number + 1))
            done
        done
    done
    touch "$tree/.complete-v2"
fi

# Wine's own start (its server and services) is not part of the scan: warm
# it up and keep its server running while the scan is timed.
bench_wine_up
sleep 2

pattern="Z:${tree//\//\\}\\*.*"
report=$(cd "$build/run" && bench_wine "$build/bench/scan_bench.exe" "$pattern" $runs | tr -d '\r')
echo "$report"
floor=$(sed -n 's/^floor .* \([0-9.]*\) ms$/\1/p' <<<"$report")
walk=$(sed -n 's/^walk .* best of [0-9]* \([0-9.]*\) ms,.*/\1/p' <<<"$report")
scan=$(sed -n 's/^scan .* best of [0-9]* \([0-9.]*\) ms.*/\1/p' <<<"$report")
bench_figure "disk walk, 2,000 songs in 200 folders" "$walk ms" "$floor ms (bare FindFirstFileA walk)" \
    "$(ratio "$walk" "$floor")" 1.1
bench_figure "scan with tags, 2,000 songs of eight kinds" "$scan ms" "-" "-" "2000 ms"
