#!/usr/bin/env bash
# What a listener hears in real time: numbered songs played through Wine's
# sound output into a private PulseAudio server's null sink, recorded from
# its monitor (paced by the server's clock), and every frame checked heard
# once and in order, at the first song's start, between songs, after a seek,
# after a pause, and at the end of the list. The server listens on a unix
# socket of its own only, and ends with the test (or after 5 minutes).
#
# With --busy-sink the null sink plays a quiet stream of its own throughout,
# at a small latency, as a desktop's sound card runs: an idle null sink
# renders two seconds ahead at a time and starts a new stream up to two
# seconds late, which only delays what is heard (nothing is lost), but
# makes what is heard lag the position a program is told.
#   realtime_listening.sh [--busy-sink] WINE_EXEC PREFIX DLL_DIR PLAY_SONGS_EXE
set -euo pipefail
busy=false
if [ "${1:-}" = --busy-sink ]; then
    busy=true
    shift
fi
wine_exec=$1 prefix=$2 dll_dir=$3 player=$4
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v pulseaudio > /dev/null || ! command -v parec > /dev/null; then
    echo "pulseaudio and parec are missing (scripts/setup.sh installs them)"
    exit 1
fi
work=$(mktemp -d)
server="" recorder="" quiet=""
finish() {
    [ -n "$recorder" ] && kill "$recorder" 2> /dev/null
    [ -n "$quiet" ] && kill "$quiet" 2> /dev/null
    [ -n "$server" ] && kill "$server" 2> /dev/null
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap finish EXIT
export HOME=$work XDG_RUNTIME_DIR=$work PULSE_SERVER=unix:$work/pulse.sock
timeout 300 pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
    -L "module-null-sink sink_name=cap rate=44100 channels=2 norewinds=1" \
    -L "module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" 2> /dev/null &
server=$!
for _ in $(seq 200); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl info > /dev/null
if $busy; then
    timeout 300 pacat --latency-msec=20 --format=s16le --rate=44100 --channels=2 --raw /dev/zero &
    quiet=$!
fi

seconds=(3.0 2.0 2.5)
python3 "$here/numbered_songs.py" make "$work" "${seconds[@]}"
songs=("$work/song1.wav" "$work/song2.wav" "$work/song3.wav")

# listen NAME [play_songs options]: plays the songs, records them, checks them.
listen() {
    local name=$1 size grown
    shift
    timeout 120 parec -d cap.monitor --format=s16le --rate=44100 --channels=2 --raw > "$work/$name.raw" &
    recorder=$!
    bash "$wine_exec" "$prefix" "$dll_dir" "$player" "$@" "${songs[@]}" | tr -d '\r'
    # The recorder gets what the server played a moment later: record on
    # until a further second of (silent) audio has come in.
    size=$(stat -c %s "$work/$name.raw")
    for _ in $(seq 300); do
        grown=$(( $(stat -c %s "$work/$name.raw") - size ))
        [ "$grown" -ge 176400 ] && break
        sleep 0.05
    done
    kill "$recorder"
    wait "$recorder" 2> /dev/null || true
    recorder=""
    local seek=()
    [ "${1:-}" = --seek ] && seek=(--seek "${2#*:}")
    echo -n "$name: "
    python3 "$here/numbered_songs.py" check "$work/$name.raw" "${seconds[@]}" "${seek[@]}"
}

status=0
listen "three songs" || status=1
listen "seek at 1 s to 0.5 s" --seek 1000:500 || status=1
listen "pause at 1 s for 1.5 s" --pause 1000:1500 || status=1
exit $status
