#!/usr/bin/env bash
# The main window's answers through a scan's end: a drive of 60,000 files in
# 6,000 folders, 1,500 of them untagged songs (mp3 and wav in turn), scanned
# through the search window of Kelvoria.exe with the mouse while
# answer_probe.exe asks the main window for an answer every 50 ms. The
# "Done :" box stays up 3 s, is answered with Enter, and the probe goes on
# for 4 s after it has gone. Budget: the longest main-window silence from
# Start to after the box, 100 ms.
#   run-done-box-bench.sh BUILD_DIR     (under scripts/with-display.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: run-done-box-bench.sh BUILD_DIR}" && pwd)
# shellcheck source=../lib/bench.sh
source "$here/../lib/bench.sh"
# shellcheck source=../../tools/media.sh
source "$root/tools/media.sh"
tree=$build/bench/scan-60k-untagged
sample=$build/bench/scan-untagged-sample

if [ ! -f "$tree/.complete-v1" ]; then
    rm -rf "$tree" "$sample"
    mkdir -p "$tree" "$sample"
    for kind in mp3 wav; do
        make_music "$sample/song.$kind" "$(tone 440 2)" -map_metadata -1 -fflags +bitexact -id3v2_version 0
    done
    python3 - "$tree" "$sample" <<'PY'
import os, sys
tree, sample = sys.argv[1], sys.argv[2]
for number in range(6000):
    folder = os.path.join(tree, "artist%03d" % (number // 60), "album%02d" % (number % 60))
    os.makedirs(folder)
    notes = 9 if number % 4 == 0 else 10
    for note in range(notes):
        open(os.path.join(folder, "%02d notes.txt" % note), "w").close()
    if number % 4 == 0:
        kind = ("mp3", "wav")[number // 4 % 2]
        os.link(os.path.join(sample, "song." + kind), os.path.join(folder, "09 track." + kind))
open(os.path.join(tree, ".complete-v1"), "w").close()
PY
fi

prefix=$build/wineprefix
drives=$build/tests/search-drives
bash "$root/tests/search/make-search-drives.sh" "$prefix" "$drives" "$build/wine-exec.sh" "$build/run"
cp -al "$tree/." "$drives/d/"
done_box_silence() {
    local answers
    answers=$(python3 "$here/scan_answers.py" "$build/wine-exec.sh" "$prefix" "$build/run" 1500 untagged)
    echo "$answers" >&2
    sed -n 's/.*since begin the wait was at most \([0-9.]*\) ms.*/\1/p' <<<"$answers"
}
echo "== search: the main window's answers from Start to after the Done box, 60,000 files, 1,500 untagged songs"
silence=$(bench_with_window_manager done_box_silence)
bench_figure "longest main-window silence from Start to after the Done box" "$silence ms" "-" "-" "100 ms"
bare=$(done_box_silence)
bench_figure "the same on a display with no window manager (Wine waits for one)" "$bare ms" "-" "-" "-"
rm -rf "${drives:?}/d"/*
