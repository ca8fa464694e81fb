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

# Albums kept as one file: the list of a 99-track sheet shown against the
# image as one song, and the engine's CPU playing 30 s of a 60 s image as
# its 5 s tracks (six boundaries) against the same image as one song.
album=$bench_build/bench/album
bash "$bench_root/tests/fixtures/make-album-fixtures.sh" "$album"
# shellcheck source=../../tools/media.sh
source "$bench_root/tools/media.sh"
[ -f "$album/long.flac" ] || ff -f lavfi -i "$(tone 440 60)" -ac 2 -c:a flac "$album/long.flac"
python3 - "$album/bench99.cue" <<'PY'
import sys
lines = ['PERFORMER "Bench"', 'FILE "disc.flac" WAVE']
for n in range(1, 100):   # every 4 CD frames across the 6 s image
    frame = (n - 1) * 4
    lines += ['  TRACK %02d AUDIO' % n, '    TITLE "Track %d"' % n, '    INDEX 01 00:%02d:%02d' % (frame // 75, frame % 75)]
open(sys.argv[1], "w", newline="\r\n").write("\n".join(lines) + "\n")
PY
opened=$(python3 "$bench_root/bench/playlist/album_open.py" "$bench_build/wine-exec.sh" "$bench_prefix" "$bench_work" \
    "$bench_build/tests/list_rows.exe" "$album/disc.flac" "$album/bench99.cue" 99)
echo "$opened"
sheet_ms=$(sed -n 's/.*tracks listed in \([0-9]*\) ms.*/\1/p' <<<"$opened")
image_ms=$(sed -n 's/.*one song in \([0-9]*\) ms.*/\1/p' <<<"$opened")
bench_figure "a 99-track sheet listed, from the start" "$sheet_ms ms" "$image_ms ms (the image as one song)" \
    "$(ratio "$sheet_ms" "$image_ms")" 1.5

long=$(bench_wine winepath -w "$album/long.flac" 2>/dev/null | tr -d '\r')
tracks=()
for n in $(seq 0 11); do
    end=$(( (n + 1) * 375 )); [ "$n" = 11 ] && end=
    tracks+=("$long|$((n * 375))-$end||-")
done
cpu_of() { bench_wine "$bench_build/bench/bench_engine_cpu.exe" "$@" | tr -d '\r' | sed -n 's/.*: \([0-9.]*\) s CPU.*/\1/p'; }
whole=$(cpu_of "$long" 30)
through=$(cpu_of "${tracks[@]:0:1}" 30 "${tracks[@]:1}")
echo "engine CPU over 30 s: $through s through 5 s tracks of one image, $whole s for the image as one song"
bench_figure "engine CPU, an image through its tracks" "$through s in 30 s" "$whole s (one song)" \
    "$(ratio "$through" "$whole")" 1.05
