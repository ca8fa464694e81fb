#!/usr/bin/env bash
# The player at 200 % against 100 %, with the real engine under Wine: the
# prefix's DPI (LogPixels) at 96 and at 192 in turn.
#   start-up to the main window shown, 5 starts at each DPI, three rounds
#     interleaved; the medians and their ratio (budget 1.1)
#   private memory while a song plays, the lower of two readings at each
#     DPI, and their ratio (budget 1.5), with the main window's size
#   run-high-dpi.sh BUILD_DIR     (under scripts/with-display.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/bench.sh
source "$here/../lib/bench.sh"
bench_use_build "$1"
bench_use_build "$1" "$bench_build/bench/dpi-run"
build=$bench_build work=$bench_work
bench_player_layout

bench_wine_up
bench_setting Minimize No
set_dpi() { bench_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'set_dpi 96' EXIT

echo "== app: start-up at 96 and 192 DPI (5 starts each, three rounds)"
bench_setting Playlist No
declare -A starts=([96]="" [192]="")
for _ in 1 2 3; do
    for dpi in 96 192; do
        set_dpi "$dpi"
        runs=$(python3 "$here/startup_times.py" 5 "$build/wine-exec.sh" "$bench_prefix" "$work" \
            Kelvoria.exe=Kelvoria_v1.0 | cut -d' ' -f2-)
        starts[$dpi]="${starts[$dpi]} $runs"
    done
done
median() { python3 -c "import statistics, sys; print(statistics.median(map(int, sys.argv[1:])))" "$@"; }
# shellcheck disable=SC2086
at96=$(median ${starts[96]}) at192=$(median ${starts[192]})
echo "96 DPI:${starts[96]} ms; 192 DPI:${starts[192]} ms"
bench_figure "start-up at 200 %" "$at192 ms" "$at96 ms (at 100 %)" "$(ratio "$at192" "$at96")" 1.1

echo "== app: private memory while a song plays, at 96 and 192 DPI (two readings each)"
bench_setting Playlist Yes
declare -A memory=([96]=999999 [192]=999999) size=()
for _ in 1 2; do
    for dpi in 96 192; do
        set_dpi "$dpi"
        bench_start_program Kelvoria.exe Kelvoria_v1.0 /startup
        sleep 3
        reading=$(bench_private_mb "$(bench_program_pid Kelvoria.exe)")
        size[$dpi]=$(xdotool search --onlyvisible --name '^Kelvoria_v1.0$' getwindowgeometry | sed -n 's/.*Geometry: //p')
        bench_end_program Kelvoria.exe
        memory[$dpi]=$(python3 -c "import sys; print(min(sys.argv[1:], key=float))" "${memory[$dpi]}" "$reading")
    done
done
bench_setting Playlist No
echo "main window: ${size[96]} at 96 DPI, ${size[192]} at 192 DPI"
bench_figure "private memory at 200 %" "${memory[192]} MB" "${memory[96]} MB (at 100 %)" \
    "$(ratio "${memory[192]}" "${memory[96]}")" 1.5
