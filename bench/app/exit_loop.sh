#!/usr/bin/env bash
# Starts and ends Kelvoria.exe many times in a row, each time with a song
# playing, and counts the runs whose process did not end with status 0: a
# crash at exit loses what is being written then. Each run starts the
# player with a tone on its command line, waits until a second of it has
# reached the device (ALSA's file plugin), and ends it by one of its real
# ways out, in turn: the close area clicked, WM_CLOSE (what the tray's Quit
# and taskkill send), and the end of the session (WM_QUERYENDSESSION, then
# WM_ENDSESSION, by end_session.exe). Wine's reports of an unhandled
# exception in the player's output count as crashes too.
#   exit_loop.sh [BUILD] [RUNS]    (defaults: the chosen target's build, 300)
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
root=$bench_root
runs=${2:-300}
kelvoria_choose_arch
figure="crashes at exit, $runs starts and exits with a song playing ($KELVORIA_ARCH)"

echo "== app: $runs starts and exits in a row with a song playing ($KELVORIA_ARCH)"
if [ "$KELVORIA_ARCH" = i686 ] && ! kelvoria_wine_runs_32bit; then
    echo "exit loop: the i686 program cannot run on this machine (Wine's 32-bit loader runs no program here);" \
        "not measured. Run it where 32-bit Windows programs run under Wine."
    bench_figure "$figure" "not run" "-" "-" "-"
    exit 0
fi

build=$(cd "$(kelvoria_bench_build_dir "$root" "${1:-}")" && pwd)
bench_use_build "$build" "$build/bench/app-exit"
prefix=$bench_prefix work=$bench_work
rm -rf "$work"
mkdir -p "$work/home"
cp "$build/run/Kelvoria.exe" "$build/run/fmod.dll" "$build/bench/end_session.exe" "$work/"
cp -r "$build/run/Skins" "$work/"
# shellcheck source=../../tools/media.sh
source "$root/tools/media.sh"
make_music "$work/tone.mp3" "$(tone 440 60)"
song="Z:${work//\//\\}\\tone.mp3"
capture=$work/home/out.raw
bench_capture_home "$work/home"

bench_wine cmd /c exit >/dev/null 2>&1 || true
bench_setting Minimize No
bench_setting Playlist No

captured() { stat -c %s "$capture" 2>/dev/null || echo 0; }
running() { kill -0 "$1" 2>/dev/null; }
# Polls `$@` every 0.1 s for up to $limit seconds.
within() {
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
playing() { [ "$(captured)" -ge 176400 ]; }
ended() { ! running "$player"; }

# The close area: its window tests a release against the cursor its timer
# last sampled, so the release comes after the cursor rests there, and
# again while the player runs on (a tick may not have come yet).
click_close_area() {
    local window
    window=$(xdotool search --onlyvisible --name '^Kelvoria_v1.0$' | head -n 1)
    for _ in $(seq 20); do
        running "$player" || return 0
        eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || return 0
        xdotool mousemove $((X + 570)) $((Y + 20)) sleep 0.2 click 1
        within 1 ended && return 0
    done
}

end_player() {   # way
    case $1 in
        close-area) click_close_area ;;
        wm-close) bench_wine end_session.exe close >/dev/null 2>&1 ;;
        session-end) bench_wine end_session.exe >>"$work/session.txt" 2>&1 ;;
    esac
}

ways=(close-area wm-close session-end)
crashes=0 reports=0 hung=0 unstarted=0
declare -A statuses
for run in $(seq "$runs"); do
    way=${ways[$(((run - 1) % ${#ways[@]}))]}
    rm -f "$capture"
    (cd "$work" && bench_capture_into "$work/home" && WINEDEBUG=err+all,fixme-all \
        exec bash "$build/wine-exec.sh" "$prefix" "$work" Kelvoria.exe "$song" >"$work/player.txt" 2>&1) &
    player=$!
    if ! within 60 playing; then
        unstarted=$((unstarted + 1))
        echo "run $run: no song heard within 60 s"
    fi
    end_player "$way"
    if ! within 60 ended; then
        hung=$((hung + 1))
        echo "run $run ($way): still running 60 s after its end was asked; killed"
        kill "$player" 2>/dev/null || true
    fi
    status=0
    wait "$player" || status=$?
    statuses[$status]=$((${statuses[$status]:-0} + 1))
    if grep -qiE 'unhandled (exception|page fault)|backtrace:|segmentation fault' "$work/player.txt"; then
        reports=$((reports + 1))
        cp "$work/player.txt" "$work/report-$run.txt"
    fi
    if [ "$status" != 0 ]; then
        crashes=$((crashes + 1))
        cp "$work/player.txt" "$work/status-$run.txt"
        echo "run $run ($way): exit status $status (output kept in $work/status-$run.txt)"
    fi
done

seen=$(for status in "${!statuses[@]}"; do echo "status $status: ${statuses[$status]} runs"; done | sort -n -k2)
echo "runs: $runs (${ways[*]} in turn)"
echo "exit statuses seen: ${seen//$'\n'/; }"
echo "non-zero exit statuses: $crashes; Wine crash reports: $reports; hung: $hung; no song heard: $unstarted"
echo "session end answers: $(sort "$work/session.txt" 2>/dev/null | uniq -c | tr -s ' \n' ' ')"
bench_figure "$figure" "$((crashes + reports)) crashes" "-" "-" "0 crashes"
