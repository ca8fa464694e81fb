#!/usr/bin/env bash
# The player's benchmarks, with the real engine under Wine on the display of
# the run. Each figure stands beside its floor, measured in the same run on
# the same target, and the budget is their ratio:
#   start-up to the main window shown / a minimal program with the same
#     imports and manifest showing one window: 1.3
#   CPU idle with an empty list / that program ticking as the main window
#     does (timer of period 0, cursor sampled at each tick): 1.2
#   CPU while a 128 kbps MP3 plays / the ticking program plus `ffmpeg -re`
#     decoding the same file: 1.1
#   private memory while playing: 24 MB (absolute)
# and then the soak (soak.sh): 300 songs in a row, handles, GDI objects,
# windows and private memory flat after the first songs.
#   run.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=../summary.sh
source "$root/bench/summary.sh"
prefix=$build/wineprefix
work=$build/bench/app-run
wine_exec() { bash "$build/wine-exec.sh" "$prefix" "$work" "$@"; }

# A copy of the runnable layout whose start-up playlist is the bench song.
rm -rf "$work"
mkdir -p "$work/Playlists"
cp "$build/run/Kelvoria.exe" "$build/run/fmod.dll" "$build/bench/bench_minimal_window.exe" "$work/"
cp -r "$build/run/Skins" "$work/"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=440:duration=120" -c:a libmp3lame -b:a 128k \
    "$work/play.mp3"
printf '1\r\nZ:%s\r\n' "${work//\//\\}\\play.mp3" > "$work/Playlists/Startup.m3P"

wine_exec cmd /c exit >/dev/null 2>&1 || true
wine_exec --server -p 2>/dev/null || true   # later starts find Wine's server up
setting() { wine_exec reg add 'HKCU\Software\Kelvoria\Settings' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
setting Minimize No

# Starts a program and prints its Linux pid once its window named $2 shows,
# then the milliseconds that took; the window is polled every 5 ms.
start_and_time() {
    local program=$1 title=$2 argument=${3:-}
    python3 - "$program" "$title" "$argument" "$work" "$build/wine-exec.sh" "$prefix" <<'PY'
import os, subprocess, sys, time
program, title, argument, work, wine_exec, prefix = sys.argv[1:]
env = dict(os.environ, WINEDEBUG="-all", PULSE_SERVER="none")
start = time.monotonic()
process = subprocess.Popen(["bash", wine_exec, prefix, work, program] + ([argument] if argument else []),
                           cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
while not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                         capture_output=True).stdout.strip():
    if time.monotonic() - start > 60:
        sys.exit("no window")
    time.sleep(0.005)
print(process.pid, round((time.monotonic() - start) * 1000))
PY
}

# A program's own process: its command line starts with its image name
# (the wine-exec.sh shell that started it merely names it).
program_pattern() { echo "^${1//./\\.}"; }
program_pid() { pgrep -f "$(program_pattern "$1")" | tail -n 1; }
# Nanoseconds on a CPU, summed over the process's threads: the scheduler's
# own count, where /proc/PID/stat counts whole clock ticks (10 ms), too
# coarse for a program that runs a few milliseconds a second.
cpu_ns() { cat "/proc/$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%.0f", ns}'; }
cpu_percent() {   # pid seconds
    local before after
    before=$(cpu_ns "$1"); sleep "$2"; after=$(cpu_ns "$1")
    python3 -c "print(f'{($after - $before) / 1e9 / $2 * 100:.2f}')"
}
private_mb() { awk '/^Private_(Clean|Dirty)/ {kb += $2} END {printf "%.1f", kb / 1024}' "/proc/$1/smaps_rollup"; }
# Ends a program as the system does at log-off: WM_CLOSE to its windows,
# then a wait for it to exit. Destroying its X windows instead would leave
# it running, ticking and playing, behind every later measurement.
end_program() {   # image name
    wine_exec taskkill /im "$1" >/dev/null 2>&1 || true
    for _ in $(seq 100); do pgrep -f "$(program_pattern "$1")" >/dev/null || return 0; sleep 0.1; done
    echo "$1 did not end on WM_CLOSE within 10 s; ended by force" >&2
    wine_exec taskkill /f /im "$1" >/dev/null 2>&1 || true
}
end_player() { end_program Kelvoria.exe; }
end_minimal() { end_program bench_minimal_window.exe; }

echo "== app: start-up, process start to main window shown (11 runs each, interleaved)"
setting Playlist No
player_ms=() minimal_ms=()
for _ in $(seq 11); do
    read -r _ ms < <(start_and_time bench_minimal_window.exe Minimal_window)
    minimal_ms+=("$ms"); end_minimal; sleep 0.5
    read -r _ ms < <(start_and_time Kelvoria.exe Kelvoria_v1.0)
    player_ms+=("$ms"); end_player; sleep 0.5
done
read -r player_median minimal_median < <(python3 - "${player_ms[*]}" "${minimal_ms[*]}" <<'PY'
import statistics, sys
player = list(map(int, sys.argv[1].split())); minimal = list(map(int, sys.argv[2].split()))
print(statistics.median(player), statistics.median(minimal))
PY
)
echo "Kelvoria ${player_ms[*]} ms; minimal program ${minimal_ms[*]} ms"
bench_figure "start-up to the main window" "$player_median ms" "$minimal_median ms (minimal window)" \
    "$(ratio "$player_median" "$minimal_median")" 1.3

echo "== app: CPU idle with an empty list, against the ticking minimal program, 20 s each"
start_and_time bench_minimal_window.exe Minimal_window tick >/dev/null
sleep 2
ticking=$(cpu_percent "$(program_pid bench_minimal_window.exe)" 20)
end_minimal
start_and_time Kelvoria.exe Kelvoria_v1.0 >/dev/null
sleep 2
idle=$(cpu_percent "$(program_pid Kelvoria.exe)" 20)
end_player
bench_figure "CPU idle, empty list" "$idle% of a core" "$ticking% (ticking window)" "$(ratio "$idle" "$ticking")" 1.2

echo "== app: CPU and memory while a 128 kbps MP3 plays, 30 s, against ffmpeg -re on it"
setting Playlist Yes
start_and_time Kelvoria.exe Kelvoria_v1.0 /startup >/dev/null
sleep 3
pid=$(program_pid Kelvoria.exe)
playing=$(cpu_percent "$pid" 30)
memory=$(private_mb "$pid")
end_player
setting Playlist No
decoding=$( { TIMEFORMAT='%U %S'; time ffmpeg -nostdin -loglevel error -re -t 30 -i "$work/play.mp3" -f null - ; } \
    2>&1 | awk '{printf "%.2f", ($1 + $2) / 30 * 100}')
floor=$(python3 -c "import sys; print(f'{float(sys.argv[1]) + float(sys.argv[2]):.2f}')" "$ticking" "$decoding")
bench_figure "CPU while an MP3 plays" "$playing% of a core" "$floor% (ticking window $ticking% + ffmpeg -re $decoding%)" \
    "$(ratio "$playing" "$floor")" 1.1
bench_figure "private memory while playing" "$memory MB" "-" "-" "24 MB"

# The soak, 300 songs in a row (soak.sh), last: it ends the server itself.
bash "$here/soak.sh" "$build"
