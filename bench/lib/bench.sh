# shellcheck shell=bash
# Sourced by the benchmark scripts: what they share. Brings the summary
# rows (bench/summary.sh) and the target's choice (scripts/arch.sh).
#   bench_use_build BUILD [WORK]   the build whose prefix and programs the
#       helpers use, and the folder they run in, which holds fmod.dll
#       (default BUILD/run); sets bench_build, bench_prefix, bench_work
#   bench_wine PROGRAM [ARGS...]   a Windows program in the build's prefix
#   bench_wine_up                  Wine's server started and kept up, so that
#       no later start pays for it
#   bench_program_pids IMAGE       the processes of that Windows program in
#       this build's prefix (not a player of another build on the machine)
#   bench_setting NAME VALUE       one of the player's stored settings
#   bench_capture_home HOME        HOME/out.raw gets what is played by the
#       programs of a shell that has called bench_capture_into HOME
#   bench_capture_into HOME        this shell's programs from now on play into
#       HOME's capture (call it in the subshell that starts them)
#   bench_player_layout [FILE...]  the work folder made afresh: the player,
#       its engine and skins, the FILEs, and a start-up playlist of one
#       two-minute 128 kbps MP3 tone, play.mp3
#   bench_start_program IMAGE TITLE [ARG]   starts it from the work folder and
#       returns once its window of that title shows
#   bench_program_pid IMAGE        the newest of bench_program_pids
#   bench_private_mb PID, bench_clean_mb PID   its memory (below)
#   bench_end_program IMAGE        ends it as the system does at log-off
#   bench_with_window_manager CMD [ARGS...]   CMD with a window manager on the
#       display, as every desktop has one; Wine's X11 driver waits up to 2 s
#       at each hide of a window for a window manager to take it back, and
#       a bare virtual display has none
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/arch.sh
source "$bench_root/scripts/arch.sh"
# shellcheck source=../summary.sh
source "$bench_root/bench/summary.sh"

bench_use_build() {
    bench_build=$(cd "$1" && pwd)
    bench_prefix=$bench_build/wineprefix
    bench_work=${2:-$bench_build/run}
}

bench_wine() {
    bash "$bench_build/wine-exec.sh" "$bench_prefix" "$bench_work" "$@"
}

bench_wine_up() {
    bench_wine cmd /c exit >/dev/null 2>&1 || true
    bench_wine --server -p 2>/dev/null || true
}

# A program's own process: its command line starts with its image name (the
# wine-exec.sh shell that started it merely names it).
bench_program_pids() {
    local pid
    for pid in $(pgrep -f "^${1//./\\.}"); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$bench_prefix" && echo "$pid"
    done
    return 0
}

bench_setting() {
    bench_wine reg add 'HKCU\Software\Kelvoria\Settings' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
}

bench_capture_home() {
    mkdir -p "$1"
    python3 "$bench_root/tests/support/alsa_capture.py" "$1" "$1/out.raw" >/dev/null
}

# The configuration's name is the one alsa_capture.py gives it.
bench_capture_into() {
    export HOME=$1 ALSA_CONFIG_PATH=$1/alsa-capture.conf PULSE_SERVER=none
}

bench_with_window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    local wm=$! status=0
    # The manager has taken the display once it has named itself on the root.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    "$@" || status=$?
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null || true
    return "$status"
}

bench_player_layout() {
    local work=$bench_work
    rm -rf "$work"
    mkdir -p "$work/Playlists"
    cp "$bench_build/run/Kelvoria.exe" "$bench_build/run/fmod.dll" "$@" "$work/"
    cp -r "$bench_build/run/Skins" "$work/"
    ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=440:duration=120" -c:a libmp3lame -b:a 128k \
        "$work/play.mp3"
    printf '1\r\nZ:%s\r\n' "${work//\//\\}\\play.mp3" > "$work/Playlists/Startup.m3P"
}

# Starts a program and returns once its window named $2 shows.
bench_start_program() {
    local program=$1 title=$2 argument=${3:-}
    (cd "$bench_work" && WINEDEBUG=-all PULSE_SERVER=none bench_wine "$program" ${argument:+"$argument"} >/dev/null 2>&1 &)
    timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" >/dev/null
}

bench_program_pid() { bench_program_pids "$1" | tail -n 1; }
# Private memory: the pages the process has written and no other process
# shares (its heaps, stacks, decoded audio, relocated data), what Windows
# counts as a process's private working set. Pages of files that only this
# process happens to map stay clean, are shared with the next process that
# maps the same file and are dropped, not written, under pressure; they are
# reported beside it, since they count as private only when no other Wine
# process runs.
bench_private_mb() { awk '/^Private_Dirty/ {kb += $2} END {printf "%.1f", kb / 1024}' "/proc/$1/smaps_rollup"; }
bench_clean_mb() { awk '/^Private_Clean/ {kb += $2} END {printf "%.1f", kb / 1024}' "/proc/$1/smaps_rollup"; }
# Ends a program as the system does at log-off: WM_CLOSE to its windows,
# then a wait for it to exit. Destroying its X windows instead would leave
# it running, ticking and playing, behind every later measurement.
bench_end_program() {   # image name
    bench_wine taskkill /im "$1" >/dev/null 2>&1 || true
    for _ in $(seq 100); do [ -n "$(bench_program_pids "$1")" ] || return 0; sleep 0.1; done
    echo "$1 did not end on WM_CLOSE within 10 s; ended by force" >&2
    bench_wine taskkill /f /im "$1" >/dev/null 2>&1 || true
}
