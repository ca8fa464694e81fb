#!/usr/bin/env bash
# The analyser area's cost and delay, with the real engine under Wine:
#   CPU of the player while a tone plays with the frequency bars drawn,
#     with the scope drawn, and with the analyser off (20 s each, twice,
#     interleaved; the lower reading of each, as a reading can only be
#     raised by other work on the machine), and beside it the X server's,
#     which puts what the player drew on the screen
#   how old the newest frame the engine hands the analyser is, against the
#     device's own count (bench_heard_age_probe.exe), on the silent output
#     and through a real-time sound server (PulseAudio's null sink) where
#     there is one
#   run-analyser.sh BUILD_DIR     (under scripts/with-display.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/bench.sh
source "$here/../lib/bench.sh"
bench_use_build "$1"
bench_use_build "$1" "$bench_build/bench/analyser-run"
build=$bench_build work=$bench_work

rm -rf "$work"
mkdir -p "$work/Playlists"
cp "$build/run/Kelvoria.exe" "$build/run/fmod.dll" "$build/bench/bench_heard_age_probe.exe" "$work/"
cp -r "$build/run/Skins" "$work/"
# A tone over soft pink noise, so that every bar moves as with music.
ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=220:duration=120" -f lavfi \
    -i "anoisesrc=color=pink:amplitude=0.2:duration=120:seed=1" \
    -filter_complex "amix=inputs=2,aformat=channel_layouts=stereo" -c:a libmp3lame -b:a 128k "$work/tone.mp3"
printf '1\r\nZ:%s\r\n' "${work//\//\\}\\tone.mp3" > "$work/Playlists/Startup.m3P"
# Every frame numbers itself: left the low 16 bits, right the high ones.
python3 - "$work/numbered.wav" <<'PY'
import struct, sys
frames = 44100 * 12
data = b"".join(struct.pack("<HH", n & 0xFFFF, n >> 16) for n in range(frames))
header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 1, 2, 44100,
                     44100 * 4, 4, 16, b"data", len(data))
open(sys.argv[1], "wb").write(header + data)
PY

bench_wine_up
bench_setting Minimize No
bench_setting Playlist Yes

program_pid() { bench_program_pids Kelvoria.exe | tail -n 1; }
x_server_pid() { pgrep -f "^Xvfb ${DISPLAY}( |\$)" | head -n 1; }
# The process's user and system time in nanoseconds, the threads that have
# ended included (a thread's own count goes with it).
cpu_ns() { awk -v hz="$(getconf CLK_TCK)" '{sub(/.*\) /, ""); printf "%.0f", ($12 + $13) * 1e9 / hz}' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Percent of one core of the player and of the X server over the same seconds.
cpu_percent() {   # pid seconds
    local before after x x_before x_after
    x=$(x_server_pid)
    before=$(cpu_ns "$1") x_before=$(cpu_ns "${x:-0}"); sleep "$2"; after=$(cpu_ns "$1") x_after=$(cpu_ns "${x:-0}")
    python3 -c "print(f'{($after - $before) / 1e9 / $2 * 100:.2f} {(${x_after:-0} - ${x_before:-0}) / 1e9 / $2 * 100:.2f}')"
}
# Whether the analyser's corner of the screen changes within a fifth of a second.
area_moves() {
    local x y
    eval "$(xdotool search --onlyvisible --name '^Kelvoria_v1.0$' getwindowgeometry --shell | grep -E '^[XY]=')"
    import -window root -crop "30x39+$((X + 381))+$((Y + 56))" "$work/area-1.png"
    sleep 0.2
    import -window root -crop "30x39+$((X + 381))+$((Y + 56))" "$work/area-2.png"
    ! cmp -s "$work/area-1.png" "$work/area-2.png"
}
end_player() {
    bench_wine taskkill /im Kelvoria.exe >/dev/null 2>&1 || true
    for _ in $(seq 100); do [ -n "$(bench_program_pids Kelvoria.exe)" ] || return 0; sleep 0.1; done
    bench_wine taskkill /f /im Kelvoria.exe >/dev/null 2>&1 || true
}
playing_cpu() {   # mode
    bench_setting Analyser "$1"
    (cd "$work" && WINEDEBUG=-all PULSE_SERVER=none bench_wine Kelvoria.exe /startup >/dev/null 2>&1 &)
    timeout 60 xdotool search --sync --onlyvisible --name '^Kelvoria_v1.0$' >/dev/null
    sleep 3
    if [ "$1" != Off ] && ! area_moves; then
        echo "the analyser drew nothing in mode $1" >&2
    fi
    cpu_percent "$(program_pid)" 20
    end_player
}
lower() { python3 -c "import sys; print(min(sys.argv[1:], key=float))" "$@"; }

echo "== app: the analyser's CPU while a tone plays, 20 s each, twice"
bars_runs=() scope_runs=() off_runs=() bars_x=() scope_x=() off_x=()
# Each run whole before the next starts: the player of one run has ended
# before the player of the next starts, as a start would hand over to it.
for _ in 1 2; do
    figures=$(playing_cpu Bars); read -r player x <<<"$figures"; bars_runs+=("$player") bars_x+=("$x")
    figures=$(playing_cpu Scope); read -r player x <<<"$figures"; scope_runs+=("$player") scope_x+=("$x")
    figures=$(playing_cpu Off); read -r player x <<<"$figures"; off_runs+=("$player") off_x+=("$x")
done
bench_setting Analyser Bars
bench_setting Playlist No
bars=$(lower "${bars_runs[@]}") scope=$(lower "${scope_runs[@]}") off=$(lower "${off_runs[@]}")
echo "player: bars ${bars_runs[*]} %; scope ${scope_runs[*]} %; off ${off_runs[*]} %"
echo "X server meanwhile: bars ${bars_x[*]} %; scope ${scope_x[*]} %; off ${off_x[*]} %"
python3 -c "import sys; print('analyser CPU: %.1f %% of one core drawing, %.1f %% off' % (float(sys.argv[1]), float(sys.argv[2])))" \
    "$bars" "$off"
python3 -c "import sys; print('analyser CPU, scope: %.1f %% of one core' % float(sys.argv[1]))" "$scope"
bench_figure "CPU playing, frequency bars drawn" "$bars% of a core" "$off% (analyser off)" "$(ratio "$bars" "$off")" "-"
bench_figure "CPU playing, scope drawn" "$scope% of a core" "$off% (analyser off)" "$(ratio "$scope" "$off")" "-"

echo "== app: the newest frame heard as the analyser reads it, against the device's count (10 s)"
heard_age() {   # output's name, then the environment's settings
    local name=$1 age median
    shift
    age=$(cd "$work" && env WINEDEBUG=-all "$@" bash "$bench_build/wine-exec.sh" "$bench_prefix" "$work" \
        bench_heard_age_probe.exe numbered.wav 10 2>/dev/null | tr -d '\r')
    echo "$name: $age"
    median=$(sed -n 's/.*median \([0-9.]*\) ms, 95th.*/\1/p' <<<"$age")
    bench_figure "newest frame heard, behind the device's count, $name (median)" "$median ms" "-" "-" "-"
}
heard_age "silent output" PULSE_SERVER=none
if command -v pulseaudio > /dev/null; then
    pulse=$(mktemp -d)
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
        -L "module-null-sink sink_name=cap rate=44100 channels=2" \
        -L "module-native-protocol-unix socket=$pulse/pulse.sock auth-anonymous=1" 2> /dev/null &
    server=$!
    for _ in $(seq 100); do [ -S "$pulse/pulse.sock" ] && break; sleep 0.1; done
    heard_age "real-time sound server" HOME="$pulse" PULSE_SERVER="unix:$pulse/pulse.sock"
    kill "$server"
    wait "$server" 2> /dev/null || true
    rm -rf "$pulse"
else
    echo "no pulseaudio here (scripts/setup.sh installs it): the silent output's figure only"
fi
